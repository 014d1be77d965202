#pragma once
// The system clipboard: Unicode text put there, and files copied there
// (Explorer's Copy and Cut) taken as a drop.

#include <cstddef>

#include "platform/job_input.h"

enum class ClipboardResult { Stored, NoMemory, Busy };
enum class PasteResult { Taken, NoFiles, NoMemory, Busy };

// Writes the text's units (no terminator) into the block at target.
using ClipboardFillFn = void (*)(const void* source, char16_t* target);

struct ClipboardApi {
  // Replaces the clipboard's text with `units` units and a terminator: the
  // layer allocates the block, fill writes the text into it once. On
  // failure the old contents stay.
  ClipboardResult (*setText)(size_t units, ClipboardFillFn fill, const void* source);
  // The files on the clipboard as a drop of the caller's own, in their
  // order there, released with g_jobInput.releaseDrop; the clipboard keeps
  // them. *drop is null unless Taken; NoFiles also for an empty list.
  PasteResult (*takeFiles)(DropHandle* drop);
};

// The build's implementation; tests may replace single members.
extern ClipboardApi g_clipboard;
