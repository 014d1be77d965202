#include <gtest/gtest.h>

#include "tests/support/test_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  SetUpPlatformForTests();
  return RUN_ALL_TESTS();
}
