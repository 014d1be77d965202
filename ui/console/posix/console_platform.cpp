#include "ui/console/console_platform.h"

// Linux: native paths, LF line ends, no registry and no clipboard of ours.
const PathStyle kConsolePathStyle = PathStyle::Posix;
const char16_t kConsoleSeparator = kSlash;
const char16_t kConsoleLineEnd[] = u"\n";
const bool kConsoleHasSavedSettings = false;

bool LoadSavedSettings(ListingSettings*, Text[kAffixCount]) { return false; }

bool CopyTextToClipboard(const ListingText&) { return false; }

PasteResult AddPastedPaths(ListingRequest*) { return PasteResult::NoFiles; }
