#include "ui/commands.h"

#include <cstddef>
#include <initializer_list>

#include "platform/shell.h"
#include "platform/window.h"
#include "settings/settings_store.h"
#include "ui/layout.h"
#include "ui/window_job.h"

namespace {

// A setting's values in the order a click steps through them, with their texts.
template <class T>
struct Choice {
  T value;
  const char16_t* text;
};

constexpr Choice<PathForm> kPathForms[] = {{PathForm::Absolute, u" パス：絶対パス"},
                                           {PathForm::Relative, u" パス：相対パス"},
                                           {PathForm::Tree, u" パス：ツリー"},  // NameOnly follows Tree
                                           {PathForm::NameOnly, u" パス：なし"}};
constexpr Choice<char16_t> kSeparators[] = {{kBackslash, u" パス区切り文字：\\"}, {kSlash, u" パス区切り文字：/"}};
constexpr Choice<ItemFilter> kItemFilters[] = {{ItemFilter::FilesAndFolders, u" 項目：ファイルとフォルダ"},
                                               {ItemFilter::FilesOnly, u" 項目：ファイルのみ"},
                                               {ItemFilter::FoldersOnly, u" 項目：フォルダのみ"}};
constexpr Choice<bool> kExtensionShown[] = {{true, u" 拡張子：あり"}, {false, u" 拡張子：なし"}};
constexpr Choice<bool> kFolderScan[] = {{true, u" フォルダ内検索：する"}, {false, u" フォルダ内検索：しない"}};
constexpr Choice<bool> kAlwaysOnTop[] = {{true, u" 常に手前に表示：ON"}, {false, u" 常に手前に表示：OFF"}};
constexpr Choice<bool> kTranslucent[] = {{true, u" 透過表示：ON"}, {false, u" 透過表示：OFF"}};

// Steps *setting on when asked, then its label shows it (blank first). A value
// that is none of the choices (which nothing can store now) stays unlabelled.
template <class T, size_t N>
void Show(AppState* state, T* setting, const Choice<T> (&choices)[N], Control label, bool step) {
  for (size_t i = 0; i < N; ++i) {
    if (choices[i].value != *setting) continue;
    const Choice<T>& shown = choices[step ? (i + 1) % N : i];
    *setting = shown.value;
    g_window.setControlText(state->window, label, kBlank + 2);
    g_window.setControlText(state->window, label, shown.text);
    return;
  }
}

// The z-order and alpha calls are made every time, changed or not.
void ShowOrStep(AppState* state, Control label, bool step) {
  ListingSettings& settings = state->settings;
  switch (label) {
    case Control::PathFormLabel:
      return Show(state, &settings.pathForm, kPathForms, label, step);
    case Control::SeparatorLabel:
      return Show(state, &settings.separator, kSeparators, label, step);
    case Control::ItemsLabel:
      return Show(state, &settings.itemFilter, kItemFilters, label, step);
    case Control::ExtensionLabel:
      return Show(state, &settings.extensionShown, kExtensionShown, label, step);
    case Control::FolderScanLabel:
      return Show(state, &settings.folderScan, kFolderScan, label, step);
    case Control::TopmostLabel:
      Show(state, &settings.alwaysOnTop, kAlwaysOnTop, label, step);
      return g_window.setTopmost(state->window, settings.alwaysOnTop);
    case Control::TranslucentLabel:
      Show(state, &settings.translucent, kTranslucent, label, step);
      return g_window.setAlpha(state->window, settings.translucent ? 192 : 255);
    default:
      return;
  }
}

// One clickable control's action; none: the label's setting steps on.
struct CommandEntry {
  Control control;
  bool idleOnly;  // changes what a running job reads, so refused during a job
  void (*action)(AppState* state);
};

// Without a readme path the user gets the warning of a file that cannot be opened.
void OpenHelpFile(AppState* state) {
  if (state->readmePath && g_shell.openDocument(state->readmePath.get())) return;
  g_shell.showWarning(state->window, u"readme.txt を開けませんでした", kFullTitle);
}

// The setting labels first, in the order the settings are shown at start-up.
constexpr CommandEntry kCommands[] = {
    {Control::PathFormLabel, true, nullptr},
    {Control::SeparatorLabel, true, nullptr},
    {Control::ItemsLabel, true, nullptr},
    {Control::ExtensionLabel, true, nullptr},
    {Control::FolderScanLabel, true, nullptr},
    {Control::TopmostLabel, false, nullptr},
    {Control::TranslucentLabel, false, nullptr},
    {Control::CancelButton, false, CancelWindowJob},
    {Control::MinimizeButton, false, [](AppState* state) { g_window.minimize(state->window); }},
    {Control::SaveButton, false, SaveSettings},
    {Control::DeleteButton, false, DeleteSettings},
    {Control::LayoutButton, false, [](AppState* state) { SwitchLayout(state, !state->settings.compactLayout); }},
    {Control::HelpButton, false, OpenHelpFile},
};

}  // namespace

CommandOutcome RouteCommand(AppState* state, int32_t controlId, int32_t notifyCode) {
  for (const CommandEntry& entry : kCommands) {
    if (static_cast<int32_t>(entry.control) != controlId) continue;
    bool acts = notifyCode == 0 || notifyCode == 1;  // STN_CLICKED, STN_DBLCLK
    if (!acts || (entry.idleOnly && state->status != StatusState::Idle)) return CommandOutcome::Handled;
    if (entry.action != nullptr) {
      entry.action(state);
    } else {
      ShowOrStep(state, entry.control, true);
    }
    return CommandOutcome::Handled;
  }
  return CommandOutcome::NotHandled;
}

void ShowSetting(AppState* state, Control label) { ShowOrStep(state, label, false); }

// Storage running out while the texts are read leaves the window as it was;
// else the labels show the settings, and last the layout places the window.
void LoadSettings(AppState* state) {
  StoredSettings stored = LoadStoredSettings();
  if (!stored.keyFound) g_window.enableControl(state->window, Control::DeleteButton, false);
  for (int i = 0; i < kAffixCount && stored.textsValid; ++i) {
    g_window.setControlText(state->window, kAffixEdits[i], stored.texts[i].get());
  }
  if (stored.outOfMemory) return;
  if (stored.settingValid) UnpackSettings(stored.setting, &state->settings);
  if (stored.windowPosValid) {
    int32_t left = 0;
    int32_t top = 0;
    UnpackWindowPos(stored.windowPos, &left, &top);
    g_window.placeWindow(state->window, left, top);
  }
  for (const CommandEntry& entry : kCommands) {
    if (entry.action == nullptr) ShowSetting(state, entry.control);
  }
  SwitchLayout(state, state->settings.compactLayout);
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
