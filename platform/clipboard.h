#pragma once
// The system clipboard: Unicode text put there, and files copied there
// (Explorer's Copy and Cut) taken as a drop.

#include <cstddef>

#include "platform/job_input.h"

enum class ClipboardResult { Stored, NoMemory, Busy };
enum class PasteResult { Taken, NoFiles, NoMemory, Busy };

// Writes the text's units (no terminator) into the block.
using ClipboardFillFn = void (*)(const void* source, char16_t* target);

struct ClipboardApi {
  // Replaces the clipboard's text with `units` units and a terminator, which
  // fill writes into the layer's block once. On failure the old text stays.
  ClipboardResult (*setText)(size_t units, ClipboardFillFn fill, const void* source);
  // The files on the clipboard as a drop of the caller's own, released with
  // g_jobInput.releaseDrop. *drop is null unless Taken.
  PasteResult (*takeFiles)(DropHandle* drop);
};

// The build's implementation; tests may replace single members.
extern ClipboardApi g_clipboard;
