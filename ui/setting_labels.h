#pragma once
// The setting operations and their labels: set mode stores the given value, cycle mode
// advances from the current one; both then write the setting's label (the
// label blank first, then the text) and apply the side effect.

#include <cstdint>

#include "settings/listing_settings.h"
#include "ui/app_state.h"

void ApplyPathForm(AppState* state, PathForm value, bool set);
void ApplyItemFilter(AppState* state, ItemFilter value, bool set);
void ApplyExtensionShown(AppState* state, bool value, bool set);
void ApplyFolderScan(AppState* state, bool value, bool set);
void ApplyAlwaysOnTop(AppState* state, bool value, bool set);
void ApplyTranslucent(AppState* state, bool value, bool set);
void ToggleSeparator(AppState* state);

// Writes SeparatorLabel for the separator now stored (the loader stores the
// separator itself; there is no set mode for it).
void ShowSeparatorLabel(AppState* state);

// The label blank: 21 ideographic spaces, written before every label text.
extern const char16_t kLabelBlank[];
