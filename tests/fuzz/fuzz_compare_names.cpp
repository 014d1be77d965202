// CompareNames on arbitrary names: 0 only for identical names of one kind,
// never -1 both ways, and no read past either terminator.

#include <cstdlib>

#include "engine/collation.h"
#include "tests/fuzz/fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint8_t kinds = data[0];
  size_t split = data[1] % (size - 1);
  std::u16string a = FuzzText(data + 2, split > size - 2 ? size - 2 : split);
  std::u16string b = FuzzText(data + 2 + a.size(), size - 2 - a.size());
  uint8_t aIsFile = kinds & 1;
  uint8_t bIsFile = (kinds >> 1) & 1;
  char16_t* nameA = ExactCopy(a);
  char16_t* nameB = ExactCopy(b);
  int ab = CompareNames(nameA, aIsFile, nameB, bIsFile);
  int ba = CompareNames(nameB, bIsFile, nameA, aIsFile);
  FUZZ_CHECK(ab == -1 || ab == 0 || ab == 1);
  FUZZ_CHECK((ab == 0) == (a == b && aIsFile == bIsFile));
  FUZZ_CHECK((ab == 0) == (ba == 0));
  FUZZ_CHECK(!(ab == -1 && ba == -1));
  FUZZ_CHECK(CompareNames(nameA, aIsFile, nameA, aIsFile) == 0);
  std::free(nameA);
  std::free(nameB);
  return 0;
}
