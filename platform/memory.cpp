#include "platform/memory.h"

#include <atomic>
#include <cstdlib>

namespace {
// Atomics: the worker thread allocates while a test thread reads the stats.
std::atomic<uint64_t> g_allocations{0};
std::atomic<uint64_t> g_failures{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<int64_t> g_liveBlocks{0};
}  // namespace

// Counts the allocation and tells whether the injected failure hits it.
bool PlatformAllocationAllowed() {
  uint64_t number = g_allocations.fetch_add(1) + 1;
  uint64_t failAt = g_failAt.load();
  if (failAt != 0 && number == failAt) {
    g_failures.fetch_add(1);
    return false;
  }
  return true;
}

void* PlatformAlloc(size_t bytes) {
  if (!PlatformAllocationAllowed()) return nullptr;
  // malloc(0) may return null legitimately; ask for one byte so that null
  // always means failure.
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr) g_liveBlocks.fetch_add(1);
  return block;
}

void* PlatformAllocArray(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) {
    PlatformAllocationAllowed();  // still one attempt, as seen by the counters
    return nullptr;
  }
  return PlatformAlloc(count * size);
}

void PlatformFree(void* block) {
  if (block == nullptr) return;
  g_liveBlocks.fetch_sub(1);
  std::free(block);
}

void ArmAllocationFailure(uint64_t k) {
  g_failAt.store(k == 0 ? 0 : g_allocations.load() + k);
}

void ResetAllocationStats() {
  g_allocations.store(0);
  g_failures.store(0);
  g_failAt.store(0);
}

AllocationStats GetAllocationStats() {
  return AllocationStats{g_allocations.load(), g_failures.load(), g_liveBlocks.load()};
}
