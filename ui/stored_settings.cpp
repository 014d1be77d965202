#include "ui/stored_settings.h"

#include "platform/memory.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "settings/settings_store.h"
#include "ui/layout.h"
#include "ui/setting_labels.h"

namespace {

// The edit boxes of the four stored texts, in the store's order.
constexpr Control kTextEdits[kStoredTextCount] = {Control::FilePrefixEdit, Control::FileSuffixEdit,
                                                  Control::FolderPrefixEdit, Control::FolderSuffixEdit};

void FreeTexts(char16_t* texts[kStoredTextCount]) {
  for (int i = 0; i < kStoredTextCount; ++i) {
    PlatformFree(texts[i]);
    texts[i] = nullptr;
  }
}

// Reads one edit box into a string of the save's own; null when storage
// runs out.
char16_t* ReadEditText(Control edit) {
  int32_t length = g_window.controlTextLength(edit);
  if (length < 0) length = 0;
  auto* text = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(length) + 1, sizeof(char16_t)));
  if (text == nullptr) return nullptr;
  int32_t got = g_window.controlText(edit, text, length + 1);
  if (got < 0) got = 0;
  if (got > length) got = length;
  text[got] = 0;
  return text;
}

// The settings in memory onto the window: every label, the z-order, the
// alpha, and last the layout, which sizes and places the window.
void ApplySettingsToWindow() {
  ApplyPathForm(g_settings.pathForm, true);
  ShowSeparatorLabel();
  ApplyItemFilter(g_settings.itemFilter, true);
  ApplyExtensionShown(g_settings.extensionShown, true);
  ApplyFolderScan(g_settings.folderScan, true);
  ApplyAlwaysOnTop(g_settings.alwaysOnTop, true);
  ApplyTranslucent(g_settings.translucent, true);
  SwitchLayout(g_settings.compactLayout, true);
}

}  // namespace

// Storage running out while the texts are read leaves the window as it was.
void LoadSettings() {
  StoredSettings stored{};
  LoadStoredSettings(&stored);
  if (!stored.keyFound) {
    g_window.enableControl(Control::DeleteButton, false);
    ApplySettingsToWindow();
    return;
  }
  if (stored.textsValid) {
    for (int i = 0; i < kStoredTextCount; ++i) g_window.setControlText(kTextEdits[i], stored.texts[i]);
  }
  FreeStoredSettings(&stored);
  if (stored.outOfMemory) return;
  if (stored.settingValid) UnpackSettings(stored.setting, &g_settings);
  if (stored.windowPosValid) {
    int32_t left = 0;
    int32_t top = 0;
    UnpackWindowPos(stored.windowPos, &left, &top);
    g_window.placeWindow(left, top);
  }
  ApplySettingsToWindow();
}

void SaveSettings() {
  char16_t* texts[kStoredTextCount] = {};
  for (int i = 0; i < kStoredTextCount; ++i) {
    texts[i] = ReadEditText(kTextEdits[i]);
    if (texts[i] == nullptr) {
      FreeTexts(texts);
      return;
    }
  }
  WindowRect rect = g_window.windowRect();
  bool saved = SaveStoredSettings(PackSettings(g_settings), PackWindowPos(rect.left, rect.top), texts);
  FreeTexts(texts);
  if (saved) g_window.enableControl(Control::DeleteButton, true);
}

void DeleteSettings() {
  g_window.enableControl(Control::DeleteButton, false);
  DeleteSavedSettings();
}
