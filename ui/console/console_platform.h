#pragma once
// What the console tool is on each build: its paths, its line end, and the
// Windows-only use of the saved settings and the clipboard.

#include "engine/listing.h"
#include "engine/path_rules.h"
#include "platform/clipboard.h"
#include "platform/owned.h"
#include "settings/listing_settings.h"

extern const PathStyle kConsolePathStyle;
// The separator lines get unless --separator says otherwise.
extern const char16_t kConsoleSeparator;
// Ends every line written as text (not with --utf16).
extern const char16_t kConsoleLineEnd[];
// Whether --saved, --paste and --copy exist.
extern const bool kConsoleHasSavedSettings;

// Puts what SAV stored into *settings (the setting word, where it is
// valid) and texts (all four, when all are valid; else all null), by the
// window's start-up rules. False when storage runs out.
bool LoadSavedSettings(ListingSettings* settings, Text texts[kAffixCount]);
// Places the text on the clipboard as the window does; false on failure.
bool CopyTextToClipboard(const ListingText& text);
// --paste: adds the paths of the files on the clipboard to the request, as a
// drop of them gives them to the window. NoMemory also when the request
// cannot take them.
PasteResult AddPastedPaths(ListingRequest* request);
