#pragma once
// Every allocation of the engine, the job and the settings code goes through
// PlatformAlloc, so that a test can make the k-th allocation fail.

#include <cstddef>
#include <cstdint>

// Returns storage for `bytes` bytes, or null when none can be had (or when a
// test has asked for this allocation to fail). Zero bytes is a valid request.
void* PlatformAlloc(size_t bytes);
void PlatformFree(void* block);

// Storage for `count` objects of `size` bytes; null when the product does not
// fit a size_t, so callers never compute an overflowing size themselves.
void* PlatformAllocArray(size_t count, size_t size);

// Counts an allocation made outside PlatformAlloc (a clipboard block) so that
// fault injection reaches it too: false means "act as if it failed".
bool PlatformAllocationAllowed();

// Fault injection for tests. After ArmAllocationFailure(k) the k-th counted
// allocation from now on fails (k >= 1); 0 disarms. Counting continues while
// armed or not, so a test can measure how many allocations a job makes.
struct AllocationStats {
  uint64_t allocations;  // counted allocations since the last reset
  uint64_t failures;     // injected failures since the last reset
  int64_t liveBlocks;    // PlatformAlloc blocks not yet freed
};
void ArmAllocationFailure(uint64_t k);
void ResetAllocationStats();
AllocationStats GetAllocationStats();
