#pragma once
// The setting operations and their labels: set mode stores the given value, cycle mode
// advances from the current one; both then write the setting's label (the
// label blank first, then the text) and apply the side effect.

#include <cstdint>

#include "settings/listing_settings.h"

void ApplyPathForm(PathForm value, bool set);
void ApplyItemFilter(ItemFilter value, bool set);
void ApplyExtensionShown(bool value, bool set);
void ApplyFolderScan(bool value, bool set);
void ApplyAlwaysOnTop(bool value, bool set);
void ApplyTranslucent(bool value, bool set);
void ToggleSeparator();

// Writes SeparatorLabel for the separator now stored (the loader stores the
// separator itself; there is no set mode for it).
void ShowSeparatorLabel();

// The label blank: 21 ideographic spaces, written before every label text.
extern const char16_t kLabelBlank[];
