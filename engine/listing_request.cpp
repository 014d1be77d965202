#include "engine/listing_request.h"

#include "engine/text.h"
#include "platform/memory.h"

bool SetRequestText(RequestText* slot, const char16_t* text, size_t length) {
  PlatformFree(slot->text);
  *slot = RequestText{nullptr, 0};
  if (length >= INT32_MAX) return false;
  slot->text = CopyText(text, length);
  if (slot->text == nullptr) return false;
  slot->length = static_cast<int32_t>(length);
  return true;
}

// The path table doubles as it fills, so a drop of many paths costs few
// allocations.
bool AddRequestPath(ListingRequest* request, const char16_t* path, size_t length) {
  if (request->pathCount == request->pathCapacity) {
    if (request->pathCapacity > UINT32_MAX / 2) return false;
    uint32_t capacity = request->pathCapacity == 0 ? 8 : request->pathCapacity * 2;
    auto* paths = static_cast<RequestText*>(PlatformAllocArray(capacity, sizeof(RequestText)));
    if (paths == nullptr) return false;
    for (uint32_t i = 0; i < request->pathCount; ++i) paths[i] = request->paths[i];
    PlatformFree(request->paths);
    request->paths = paths;
    request->pathCapacity = capacity;
  }
  RequestText* slot = &request->paths[request->pathCount];
  *slot = RequestText{nullptr, 0};
  if (!SetRequestText(slot, path, length)) return false;
  request->pathCount += 1;
  return true;
}

void FreeListingRequest(ListingRequest* request) {
  for (RequestText& affix : request->affixes) {
    PlatformFree(affix.text);
    affix = RequestText{nullptr, 0};
  }
  for (uint32_t i = 0; i < request->pathCount; ++i) PlatformFree(request->paths[i].text);
  PlatformFree(request->paths);
  request->paths = nullptr;
  request->pathCount = 0;
  request->pathCapacity = 0;
}

// A program path started without quotes runs to the first space, as a
// console start gives it; only a quote that is never closed is refused.
bool ParseCommandLine(const char16_t* line, ListingRequest* request) {
  size_t at = 0;
  if (line[0] == u'"') {
    at = 1;
    while (line[at] != 0 && line[at] != u'"') ++at;
    if (line[at] == 0) {
      request->inputFailed = true;
      return false;
    }
    ++at;
  } else {
    while (line[at] != 0 && line[at] != u' ') ++at;
  }
  for (;;) {
    while (line[at] == u' ') ++at;
    if (line[at] == 0) return true;
    size_t start = line[at] == u'"' ? at + 1 : at;
    char16_t end = line[at] == u'"' ? u'"' : u' ';
    size_t stop = start;
    while (line[stop] != 0 && line[stop] != end) ++stop;
    if (!AddRequestPath(request, line + start, stop - start)) {
      request->inputFailed = true;
      return false;
    }
    if (line[stop] == 0) return true;
    at = stop + 1;
  }
}
