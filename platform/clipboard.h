#pragma once
// The system clipboard, as Unicode text.

#include <cstddef>

enum class ClipboardResult { Stored, NoMemory, Busy };

// Writes the text's units (no terminator) into the block at target.
using ClipboardFillFn = void (*)(const void* source, char16_t* target);

struct ClipboardApi {
  // Replaces the clipboard's text with `units` units and a terminator: the
  // layer allocates the block, fill writes the text into it once. On
  // failure the old contents stay.
  ClipboardResult (*setText)(size_t units, ClipboardFillFn fill, const void* source);
};

// The build's implementation; tests may replace single members.
extern ClipboardApi g_clipboard;
