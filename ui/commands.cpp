#include "ui/commands.h"

#include <cstddef>
#include <iterator>

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

// Steps the setting on when asked, then its label shows it (blank first). A
// value that is none of the choices (which nothing can store now) stays unlabelled.
template <auto setting, const auto& choices>
void Show(AppState* state, Control label, bool step) {
  auto& value = state->settings.*setting;
  for (size_t i = 0; i < std::size(choices); ++i) {
    if (choices[i].value != value) continue;
    const auto& shown = choices[step ? (i + 1) % std::size(choices) : i];
    value = shown.value;
    g_window.setControlText(state->window, label, kBlank + 2);
    g_window.setControlText(state->window, label, shown.text);
    return;
  }
}

// One clickable control's action, or the setting its label shows and steps on.
struct CommandEntry {
  Control control;
  bool idleOnly;  // changes what a running job reads, so refused during a job
  void (*action)(AppState* state);
  void (*show)(AppState* state, Control label, bool step) = nullptr;
};

// Without a readme path the user gets the warning of a file that cannot be opened.
void OpenHelpFile(AppState* state) {
  if (state->readmePath && g_shell.openDocument(state->readmePath.get())) return;
  g_shell.showWarning(state->window, u"readme.txt を開けませんでした", kFullTitle);
}

// The setting labels first, in the order the settings are shown at start-up.
constexpr CommandEntry kCommands[] = {
    {Control::PathFormLabel, true, nullptr, Show<&ListingSettings::pathForm, kPathForms>},
    {Control::SeparatorLabel, true, nullptr, Show<&ListingSettings::separator, kSeparators>},
    {Control::ItemsLabel, true, nullptr, Show<&ListingSettings::itemFilter, kItemFilters>},
    {Control::ExtensionLabel, true, nullptr, Show<&ListingSettings::extensionShown, kExtensionShown>},
    {Control::FolderScanLabel, true, nullptr, Show<&ListingSettings::folderScan, kFolderScan>},
    // The z-order and alpha calls are made every time, changed or not.
    {Control::TopmostLabel, false, nullptr,
     [](AppState* state, Control label, bool step) {
       Show<&ListingSettings::alwaysOnTop, kAlwaysOnTop>(state, label, step);
       g_window.setTopmost(state->window, state->settings.alwaysOnTop);
     }},
    {Control::TranslucentLabel, false, nullptr,
     [](AppState* state, Control label, bool step) {
       Show<&ListingSettings::translucent, kTranslucent>(state, label, step);
       g_window.setAlpha(state->window, state->settings.translucent ? 192 : 255);
     }},
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
    entry.action != nullptr ? entry.action(state) : entry.show(state, entry.control, true);
    return CommandOutcome::Handled;
  }
  return CommandOutcome::NotHandled;
}

void ShowSetting(AppState* state, Control label) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.control == label && entry.show != nullptr) entry.show(state, label, false);
  }
}

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
    int32_t left = 0, top = 0;
    UnpackWindowPos(stored.windowPos, &left, &top);
    g_window.placeWindow(state->window, left, top);
  }
  for (const CommandEntry& entry : kCommands) {
    if (entry.show != nullptr) entry.show(state, entry.control, false);
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
