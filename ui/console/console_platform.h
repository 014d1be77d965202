#pragma once
// What the console tool is on each build: its paths, its line end, and the
// Windows-only use of the saved settings and the clipboard.

#include "engine/listing.h"
#include "engine/path_rules.h"
#include "settings/listing_settings.h"

extern const PathStyle kConsolePathStyle;
// The separator lines get unless --separator says otherwise.
extern const char16_t kConsoleSeparator;
// Ends every line written as text (not with --utf16).
extern const char16_t kConsoleLineEnd[];
// Whether --saved and --copy exist.
extern const bool kConsoleHasSavedSettings;

// Puts the settings and the four texts saved with SAV into *settings and
// request's affixes, where they are valid; false when storage runs out.
bool ApplySavedSettings(ListingSettings* settings, ListingRequest* request);
// Places the text on the clipboard as the window does; false on failure.
bool CopyTextToClipboard(const ListingText& text);
