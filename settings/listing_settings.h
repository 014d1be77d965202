#pragma once
// The eight user settings, kept on the window's thread; a job takes a copy
// of what it needs when it starts.

#include "engine/listing_request.h"

struct ListingSettings {
  PathForm pathForm;
  char16_t separator;
  ItemFilter itemFilter;
  bool extensionShown;
  bool folderScan;
  bool alwaysOnTop;
  bool translucent;
  bool compactLayout;
};

// The compiled-in defaults, which hold until stored values replace them;
// the console tool starts from them too.
constexpr ListingSettings kDefaultSettings{PathForm::Relative, kBackslash, ItemFilter::FilesAndFolders, true, true,
                                           true, false, true};
