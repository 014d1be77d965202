// Kept apart from the request builder, so that a program that takes no drops
// (the Linux console tool) links no job input.
#include "job/job_request.h"

// Each dropped path's length is asked first, so no path is ever cut short.
bool AddDropPaths(DropHandle drop, ListingRequest* request) {
  uint32_t count = g_jobInput.dropCount(drop);
  for (uint32_t index = 0; index < count; ++index) {
    uint32_t length = g_jobInput.dropPathLength(drop, index);
    OwnedBlock<char16_t> path = MakeBlock<char16_t>(size_t{length} + 1);
    if (path == nullptr) return false;
    uint32_t got = g_jobInput.dropPath(drop, index, path.get(), length + 1);
    if (!AddRequestPath(request, path.get(), got > length ? length : got)) return false;
  }
  return true;
}
