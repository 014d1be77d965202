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

bool PlatformAllocationAllowed() {
  uint64_t number = g_allocations.fetch_add(1) + 1;
  if (number != g_failAt.load()) return true;  // never 0, which is disarmed
  g_failures.fetch_add(1);
  return false;
}

void* PlatformAlloc(size_t bytes) {
  if (!PlatformAllocationAllowed()) return nullptr;
  // malloc(0) may return null legitimately: one byte, so null means failure.
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr) g_liveBlocks.fetch_add(1);
  return block;
}

void* PlatformAllocArray(size_t count, size_t size) {
  if (size == 0 || count <= SIZE_MAX / size) return PlatformAlloc(count * size);
  PlatformAllocationAllowed();  // still one attempt, as the counters see it
  return nullptr;
}

void PlatformFree(void* block) {
  if (block == nullptr) return;
  g_liveBlocks.fetch_sub(1);
  std::free(block);
}

void ArmAllocationFailure(uint64_t k) { g_failAt.store(k == 0 ? 0 : g_allocations.load() + k); }

AllocationStats GetAllocationStats() {
  return AllocationStats{g_allocations.load(), g_failures.load(), g_liveBlocks.load()};
}
