#pragma once
// Places a finished listing on the clipboard.

#include "engine/listing.h"

// The text with a terminator replaces the clipboard's text; false (the old
// text kept) when the block cannot be had or the clipboard stays busy.
bool CopyListingToClipboard(const ListingText& text);
