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
  bool program = true;
  for (size_t at = 0;; program = false) {
    while (!program && line[at] == u' ') ++at;
    if (line[at] == 0) return true;
    bool quoted = line[at] == u'"';
    size_t start = quoted ? at + 1 : at, stop = start;
    while (line[stop] != 0 && line[stop] != (quoted ? u'"' : u' ')) ++stop;
    if (program ? quoted && line[stop] == 0 : !AddRequestPath(request, line + start, stop - start)) {
      request->inputFailed = true;
      return false;
    }
    if (line[stop] == 0) return true;
    at = stop + 1;
  }
}
