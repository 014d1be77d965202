#pragma once
// The listing pipeline: a request in, its lines out, each as it is made.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/listing_request.h"
#include "platform/array.h"
#include "platform/owned.h"

enum class ListingOutcome { Done, Interrupted, Failed };

// What a listing meets on its way and leaves out or cuts short.
enum class ListingProblemKind {
  UnreadableItem,    // an input path whose attributes cannot be read: left out
  UnreadableFolder,  // a folder that cannot be opened or fails partway: its line and what was read stay
};

struct ListingProblem {
  ListingProblemKind kind;
  const char16_t* path;  // NUL-terminated, valid during the call only
  int32_t error;         // the system's error code (errno, GetLastError)
};

// Folders and entries read so far, for a progress display on another thread.
struct ListingProgress {
  std::atomic<uint64_t> folders;
  std::atomic<uint64_t> entries;
};

// Where the lines go. Every folder is sorted as a whole before its lines
// go out; nothing else is held back, so a sink that writes them on at once
// keeps the listing's memory independent of its output.
struct ListingSink {
  void* context;
  // Takes the next line (no line break; separator applied). False when it
  // cannot (storage ran out, the output failed): the listing ends Failed.
  bool (*writeLine)(void* context, const char16_t* units, size_t count);
  // Told of each problem; may be null.
  void (*reportProblem)(void* context, const ListingProblem& problem);
  // Counts what has been read; may be null.
  ListingProgress* progress;
};

// Lists the request's paths into the sink. Stops within an entry once abort
// is set (Interrupted); storage running out or a refused line gives Failed.
ListingOutcome StreamListing(const ListingRequest& request, const std::atomic<bool>& abort, const ListingSink& sink);

// The clipboard's text is written in large chunks as the lines are made, so
// that a listing of millions of lines holds nothing per line.
struct TextChunk {
  OwnedBlock<char16_t> units;
  size_t used;
  size_t capacity;
};

struct ListingText {
  Array<TextChunk> chunks;
  uint64_t units = 0;  // without a terminator
  uint64_t lines = 0;
  // Folders whose enumeration failed partway (entries read until then are
  // listed) or that could not be opened at all.
  uint32_t folderReadErrors = 0;
};

// Lists the request's paths as the clipboard's text: lines joined with CR
// LF, none after the last; the empty text when nothing is listed. Only a
// Done listing leaves text in *out; out must be empty on entry.
ListingOutcome BuildListing(const ListingRequest& request, const std::atomic<bool>& abort, ListingText* out);

// Copies the whole text into target (text.units units, no terminator).
void CopyListingText(const ListingText& text, char16_t* target);
