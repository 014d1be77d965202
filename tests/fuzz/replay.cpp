// Runs a fuzz target in the native test suites (and their sanitizers) on ten thousand inputs, the same every run.
#include <random>

#include "tests/support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(FuzzTarget, AFewThousandInputs) {
  std::mt19937 random(2026);
  for (int round = 0; round < 10000; ++round) {
    std::vector<uint8_t> input(random() % (round % 10 == 0 ? 4096 : 96));
    for (uint8_t& byte : input) byte = static_cast<uint8_t>(random() % (round % 3 ? 256 : 128));
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
}
