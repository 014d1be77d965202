// CompareNames on any names of either kind: never each before the other (pairs the rules cannot tell apart,
// x9 and x\uFF19, go after each other), 0 only for identical units of one kind, no read past a terminator.
#include <vector>
#include "engine/collation.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  uint8_t kinds = in.Byte(), aIsFile = kinds & 1, bIsFile = (kinds >> 1) & 1;
  std::u16string a = in.Text(in.Byte()), b = in.Text(size);
  // Each name ends its own heap block, so that AddressSanitizer sees a read past it.
  std::vector<char16_t> nameA(a.c_str(), a.c_str() + a.size() + 1), nameB(b.c_str(), b.c_str() + b.size() + 1);
  int ab = CompareNames(nameA.data(), aIsFile, nameB.data(), bIsFile);
  int ba = CompareNames(nameB.data(), bIsFile, nameA.data(), aIsFile);
  FUZZ_CHECK(ab >= -1 && ab <= 1 && (ab == -ba || ab + ba == 2) && (ab == 0) == (a == b && aIsFile == bIsFile));
  return 0;
}
