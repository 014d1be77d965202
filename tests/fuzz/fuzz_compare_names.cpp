// CompareNames on any names of either kind: never each before the other (pairs the rules cannot tell apart,
// x9 and x\uFF19, go after each other), 0 only for identical units of one kind, no read past a terminator.
#include "tests/fuzz/fuzz_input.h"
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  uint8_t kinds = in.Byte(), aIsFile = kinds & 1, bIsFile = (kinds >> 1) & 1;
  std::u16string a = in.Text(in.Byte()), b = in.Text(size);
  int ab = CompareNames(Block(a).data(), aIsFile, Block(b).data(), bIsFile);
  int ba = CompareNames(Block(b).data(), bIsFile, Block(a).data(), aIsFile);
  FUZZ_CHECK(ab >= -1 && ab <= 1 && (ab == -ba || ab + ba == 2) && (ab == 0) == (a == b && aIsFile == bIsFile));
  return 0;
}
