#include <gtest/gtest.h>

#include "platform/memory.h"

TEST(PlatformAlloc, InjectedFailureHitsExactlyTheKthAllocation) {
  ArmAllocationFailure(3);
  void* a = PlatformAlloc(8);
  void* b = PlatformAlloc(8);
  void* c = PlatformAlloc(8);
  void* d = PlatformAlloc(8);
  ArmAllocationFailure(0);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  PlatformFree(a);
  PlatformFree(b);
  PlatformFree(d);
}

TEST(PlatformAlloc, ArrayWhoseSizeOverflowsFails) {
  int64_t before = GetAllocationStats().liveBlocks;
  EXPECT_EQ(PlatformAllocArray(SIZE_MAX / 2 + 1, 2), nullptr);
  void* ok = PlatformAllocArray(0, 2);
  EXPECT_NE(ok, nullptr);
  EXPECT_EQ(GetAllocationStats().liveBlocks, before + 1);
  PlatformFree(ok);
  EXPECT_EQ(GetAllocationStats().liveBlocks, before);
}
