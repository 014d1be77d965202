#include "ui/stored_settings.h"

#include "platform/window.h"
#include "settings/settings_store.h"
#include "ui/layout.h"
#include "ui/setting_labels.h"

namespace {

// The settings in memory onto the window: every label, the z-order, the
// alpha, and last the layout, which sizes and places the window.
void ApplySettingsToWindow(AppState* state) {
  ShowSettings(state);
  SwitchLayout(state, state->settings.compactLayout);
}

}  // namespace

// Storage running out while the texts are read leaves the window as it was.
void LoadSettings(AppState* state) {
  StoredSettings stored = LoadStoredSettings();
  if (!stored.keyFound) {
    g_window.enableControl(state->window, Control::DeleteButton, false);
    ApplySettingsToWindow(state);
    return;
  }
  if (stored.textsValid) {
    for (int i = 0; i < kAffixCount; ++i) g_window.setControlText(state->window, kAffixEdits[i], stored.texts[i].get());
  }
  if (stored.outOfMemory) return;
  if (stored.settingValid) UnpackSettings(stored.setting, &state->settings);
  if (stored.windowPosValid) {
    int32_t left = 0;
    int32_t top = 0;
    UnpackWindowPos(stored.windowPos, &left, &top);
    g_window.placeWindow(state->window, left, top);
  }
  ApplySettingsToWindow(state);
}

void SaveSettings(AppState* state) {
  Text texts[kAffixCount];
  if (!ReadAffixEdits(state, texts)) return;
  WindowRect rect = g_window.windowRect(state->window);
  if (SaveStoredSettings(PackSettings(state->settings), PackWindowPos(rect.left, rect.top), texts)) {
    g_window.enableControl(state->window, Control::DeleteButton, true);
  }
}

void DeleteSettings(AppState* state) {
  g_window.enableControl(state->window, Control::DeleteButton, false);
  DeleteSavedSettings();
}
