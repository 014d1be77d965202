#include "engine/clipboard_text.h"

#include <cstdint>

#include "platform/clipboard.h"

// The size is checked in 64 bits before it becomes a size_t, so no listing
// can wrap it; a text too large for a block fails like a busy clipboard.
bool CopyListingToClipboard(const ListingText& text) {
  if (text.units >= SIZE_MAX / sizeof(char16_t)) return false;
  auto fill = [](const void* source, char16_t* target) {
    CopyListingText(*static_cast<const ListingText*>(source), target);
  };
  return g_clipboard.setText(static_cast<size_t>(text.units), fill, &text) == ClipboardResult::Stored;
}
