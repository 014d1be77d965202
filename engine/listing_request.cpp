#include "engine/listing_request.h"

#include <utility>

// Texts longer than a line's lengths can count are refused.
bool SetRequestText(Text* slot, const char16_t* text, size_t length) {
  *slot = length < INT32_MAX ? Text::Copy(text, length) : Text();
  return static_cast<bool>(*slot);
}

bool AddRequestPath(ListingRequest* request, const char16_t* path, size_t length) {
  Text copy;
  return SetRequestText(&copy, path, length) && request->paths.Append(std::move(copy));
}

bool AddRequestExclude(ListingRequest* request, const char16_t* glob, size_t length) {
  Text copy;
  return SetRequestText(&copy, glob, length) && request->excludes.Append(std::move(copy));
}

// A program path started without quotes runs to the first space, as a
// console start gives it; only a quote that is never closed is refused.
bool ParseCommandLine(const char16_t* line, ListingRequest* request) {
  size_t at = 0;
  if (line[0] == u'"') {
    at = 1;
    while (line[at] != 0 && line[at] != u'"') ++at;
    if (line[at++] == 0) {
      request->inputFailed = true;
      return false;
    }
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
