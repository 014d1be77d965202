#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/job_input.h"
#include "platform/posix/posix_drop.h"

namespace {

// One block: the count, the path pointers, then the paths themselves.
struct PosixDrop {
  uint32_t count;
  char16_t** paths;
};

std::atomic<int32_t> g_liveDrops{0};
const char16_t* g_commandLine = u"\"dorrowin\"";

size_t Units(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

uint32_t PosixDropCount(DropHandle drop) { return static_cast<PosixDrop*>(drop)->count; }

uint32_t PosixDropPathLength(DropHandle drop, uint32_t index) {
  PosixDrop* d = static_cast<PosixDrop*>(drop);
  return index < d->count ? static_cast<uint32_t>(Units(d->paths[index])) : 0;
}

// Copies as DragQueryFileW does: as much as fits, always terminated.
uint32_t PosixDropPath(DropHandle drop, uint32_t index, char16_t* buffer, uint32_t capacity) {
  PosixDrop* d = static_cast<PosixDrop*>(drop);
  if (index >= d->count || capacity == 0) return 0;
  size_t n = Units(d->paths[index]);
  if (n > capacity - 1) n = capacity - 1;
  std::memcpy(buffer, d->paths[index], n * sizeof(char16_t));
  buffer[n] = 0;
  return static_cast<uint32_t>(n);
}

void PosixReleaseDrop(DropHandle drop) {
  PosixDrop* d = static_cast<PosixDrop*>(drop);
  if (d == nullptr) return;
  for (uint32_t i = 0; i < d->count; ++i) std::free(d->paths[i]);
  std::free(d->paths);
  std::free(d);
  g_liveDrops.fetch_sub(1);
}

const char16_t* PosixCommandLine() { return g_commandLine; }

}  // namespace

DropHandle MakePosixDrop(const char16_t* const* paths, uint32_t count) {
  PosixDrop* d = static_cast<PosixDrop*>(std::calloc(1, sizeof(PosixDrop)));
  if (d == nullptr) return nullptr;
  d->paths = static_cast<char16_t**>(std::calloc(count == 0 ? 1 : count, sizeof(char16_t*)));
  if (d->paths == nullptr) {
    std::free(d);
    return nullptr;
  }
  g_liveDrops.fetch_add(1);
  for (uint32_t i = 0; i < count; ++i) {
    size_t n = Units(paths[i]);
    d->paths[i] = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    if (d->paths[i] == nullptr) {
      d->count = i;
      PosixReleaseDrop(d);
      return nullptr;
    }
    std::memcpy(d->paths[i], paths[i], (n + 1) * sizeof(char16_t));
  }
  d->count = count;
  return d;
}

int32_t LivePosixDrops() { return g_liveDrops.load(); }

JobInputApi g_jobInput{PosixDropCount, PosixDropPathLength, PosixDropPath, PosixReleaseDrop,
                       PosixCommandLine};
