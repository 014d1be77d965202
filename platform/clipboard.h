#pragma once
// The system clipboard, as Unicode text.

#include <cstddef>

enum class ClipboardResult { Stored, NoMemory, Busy };

struct ClipboardApi {
  // Replaces the clipboard's contents with `units` UTF-16 units, the last
  // of which is the terminator. On failure the old contents stay.
  ClipboardResult (*setText)(const char16_t* text, size_t units);
};

// The build's implementation; tests may replace single members.
extern ClipboardApi g_clipboard;
