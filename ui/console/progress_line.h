#pragma once
// The console tool's progress line: when standard error is a terminal (and
// standard output is not), a listing that runs longer than about half a
// second shows one line there counting the folders and entries read, a few
// times a second, erased when the listing ends.

#include <cstdint>

#include "engine/listing.h"
#include "platform/thread.h"

struct ProgressLine {
  ListingProgress counts;  // the listing's counters
  SyncHandle sync;         // null: no line
  ThreadHandle thread;
  // Under the lock:
  bool done;
  int32_t shownWidth;  // units of the line on the screen; 0: none
};

// Starts the line's thread when the terminal wants a line and a thread can
// be had; otherwise there is no line and the calls below do nothing.
void StartProgressLine(ProgressLine* line);
// Around a message on standard error: the line is erased first and not
// drawn again until the message is written.
void BeginProgressMessage(ProgressLine* line);
void EndProgressMessage(ProgressLine* line);
// Erases the line and ends its thread.
void StopProgressLine(ProgressLine* line);
