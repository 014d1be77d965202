#pragma once
// The setting operations: set mode stores the given value, cycle mode
// advances from the current one; both then write the setting's label (the
// label blank first, then the text) and apply the side effect.

#include "settings/listing_settings.h"

void ApplyPathForm(PathForm value, bool set);
void ApplyItemFilter(ItemFilter value, bool set);
void ApplyExtensionShown(bool value, bool set);
void ApplyFolderScan(bool value, bool set);
void ApplyAlwaysOnTop(bool value, bool set);
void ApplyTranslucent(bool value, bool set);
void ToggleSeparator();
