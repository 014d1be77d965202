#pragma once
// Every allocation of the product goes through PlatformAlloc, so that a test
// can make the k-th allocation fail.

#include <cstddef>
#include <cstdint>

// Storage for `bytes` bytes (zero is a valid request); null when none can be
// had or a test has asked for this allocation to fail.
void* PlatformAlloc(size_t bytes);
void PlatformFree(void* block);

// Storage for `count` objects of `size` bytes; null when the product does not
// fit a size_t, so callers never compute an overflowing size themselves.
void* PlatformAllocArray(size_t count, size_t size);

// Counts an allocation made outside PlatformAlloc (a clipboard block) so that
// fault injection reaches it too: false means "act as if it failed".
bool PlatformAllocationAllowed();

// Fault injection: after ArmAllocationFailure(k) the k-th counted allocation
// from now on fails (k >= 1); 0 disarms. Counting goes on armed or not, so a
// test can measure how many allocations a job makes.
struct AllocationStats {
  uint64_t allocations;  // counted allocations
  uint64_t failures;     // injected failures
  int64_t liveBlocks;    // PlatformAlloc blocks not yet freed
};
void ArmAllocationFailure(uint64_t k);
AllocationStats GetAllocationStats();
