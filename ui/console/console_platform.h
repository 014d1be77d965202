#pragma once
// What the console tool is on each build: its paths, its line end, and the
// Windows-only use of the saved settings and the clipboard.

#include "engine/listing.h"
#include "engine/path_rules.h"
#include "platform/clipboard.h"
#include "platform/owned.h"
#include "settings/listing_settings.h"

extern const PathStyle kConsolePathStyle;
extern const char16_t kConsoleSeparator;  // unless --separator says otherwise
extern const char16_t kConsoleLineEnd[];  // ends every line written as text
extern const bool kConsoleHasSavedSettings;  // whether --saved, --paste and --copy exist

// What SAV stored, by the window's start-up rules; false when storage runs out.
bool LoadSavedSettings(ListingSettings* settings, Text texts[kAffixCount]);
// Places the text on the clipboard as the window does; false on failure.
bool CopyTextToClipboard(const ListingText& text);
// --paste: the clipboard's files into the request, as a drop gives them.
PasteResult AddPastedPaths(ListingRequest* request);
