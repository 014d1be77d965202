#pragma once
// The listing pipeline: a request in, the finished clipboard text out.

#include <atomic>
#include <cstdint>

#include "engine/listing_request.h"

enum class ListingOutcome { Done, Interrupted, Failed };

// The text is written in large chunks as the lines are made, so that a
// listing of millions of lines holds nothing per line.
struct TextChunk;

struct ListingText {
  TextChunk* head;
  TextChunk* tail;
  uint64_t units;   // without a terminator
  uint64_t lines;
  // Folders whose enumeration failed partway (entries read until then are
  // listed) or that could not be opened at all.
  uint32_t folderReadErrors;
};

// Lists the request's paths: lines joined with CR LF, none after the last,
// the separator applied; the empty text when nothing is listed. Reads the
// file system through the platform layer only. Stops within an entry once
// abort is set (Interrupted); storage running out gives Failed. Only a Done
// listing leaves text in *out; out must be empty on entry.
ListingOutcome BuildListing(const ListingRequest& request, const std::atomic<bool>& abort,
                            ListingText* out);

// Copies the whole text into target (text.units units, no terminator).
void CopyListingText(const ListingText& text, char16_t* target);
void FreeListingText(ListingText* text);
