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

namespace {

// A table of texts doubles as it fills, so a drop of many paths costs few
// allocations.
bool AppendRequestText(RequestText** table, uint32_t* count, uint32_t* capacity, const char16_t* text,
                       size_t length) {
  if (*count == *capacity) {
    if (*capacity > UINT32_MAX / 2) return false;
    uint32_t grown = *capacity == 0 ? 8 : *capacity * 2;
    auto* texts = static_cast<RequestText*>(PlatformAllocArray(grown, sizeof(RequestText)));
    if (texts == nullptr) return false;
    for (uint32_t i = 0; i < *count; ++i) texts[i] = (*table)[i];
    PlatformFree(*table);
    *table = texts;
    *capacity = grown;
  }
  RequestText* slot = &(*table)[*count];
  *slot = RequestText{nullptr, 0};
  if (!SetRequestText(slot, text, length)) return false;
  *count += 1;
  return true;
}

void FreeRequestTexts(RequestText** table, uint32_t* count, uint32_t* capacity) {
  for (uint32_t i = 0; i < *count; ++i) PlatformFree((*table)[i].text);
  PlatformFree(*table);
  *table = nullptr;
  *count = 0;
  *capacity = 0;
}

}  // namespace

bool AddRequestPath(ListingRequest* request, const char16_t* path, size_t length) {
  return AppendRequestText(&request->paths, &request->pathCount, &request->pathCapacity, path, length);
}

bool AddRequestExclude(ListingRequest* request, const char16_t* glob, size_t length) {
  return AppendRequestText(&request->excludes, &request->excludeCount, &request->excludeCapacity, glob, length);
}

void FreeListingRequest(ListingRequest* request) {
  for (RequestText& affix : request->affixes) {
    PlatformFree(affix.text);
    affix = RequestText{nullptr, 0};
  }
  FreeRequestTexts(&request->paths, &request->pathCount, &request->pathCapacity);
  FreeRequestTexts(&request->excludes, &request->excludeCount, &request->excludeCapacity);
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
