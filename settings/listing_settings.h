#pragma once
// The eight user settings, one process-wide record, read and written on the
// window's thread only; a job takes a copy of what it needs when it starts.

#include <cstdint>

#include "engine/listing_request.h"
#include "engine/path_rules.h"

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

extern ListingSettings g_settings;

// Puts the compiled-in defaults into g_settings.
void ResetListingSettings();

// Whether a number names a member of the enumeration.
bool IsPathForm(int32_t value);
bool IsItemFilter(int32_t value);

// The listing options of the settings, as a job takes them.
ListingOptions ListingOptionsOf(const ListingSettings& settings);
