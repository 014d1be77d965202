#include "ui/commands.h"

#include "platform/shell.h"
#include "platform/window.h"
#include "ui/layout.h"
#include "ui/setting_labels.h"
#include "ui/stored_settings.h"
#include "ui/window_job.h"

namespace {

// One clickable control's action.
struct CommandEntry {
  Control control;
  bool idleOnly;  // changes what a running job reads, so refused during a job
  void (*action)(AppState* state);
};

// The setting operations are all called in cycle mode, where the value passed
// is not used; the current one keeps the call's meaning obvious.
void CyclePathForm(AppState* state) { ApplyPathForm(state, state->settings.pathForm, false); }
void CycleExtensionShown(AppState* state) { ApplyExtensionShown(state, state->settings.extensionShown, false); }
void CycleItemFilter(AppState* state) { ApplyItemFilter(state, state->settings.itemFilter, false); }
void CycleFolderScan(AppState* state) { ApplyFolderScan(state, state->settings.folderScan, false); }
void CycleAlwaysOnTop(AppState* state) { ApplyAlwaysOnTop(state, state->settings.alwaysOnTop, false); }
void CycleTranslucent(AppState* state) { ApplyTranslucent(state, state->settings.translucent, false); }
void CycleLayout(AppState* state) { SwitchLayout(state, state->settings.compactLayout, false); }
void MinimizeMainWindow(AppState* state) { g_window.minimize(state->window); }

constexpr CommandEntry kCommands[] = {
    {Control::PathFormLabel, true, CyclePathForm},
    {Control::ExtensionLabel, true, CycleExtensionShown},
    {Control::ItemsLabel, true, CycleItemFilter},
    {Control::FolderScanLabel, true, CycleFolderScan},
    {Control::SeparatorLabel, true, ToggleSeparator},
    {Control::TopmostLabel, false, CycleAlwaysOnTop},
    {Control::TranslucentLabel, false, CycleTranslucent},
    {Control::CancelButton, false, CancelWindowJob},
    {Control::MinimizeButton, false, MinimizeMainWindow},
    {Control::SaveButton, false, SaveSettings},
    {Control::DeleteButton, false, DeleteSettings},
    {Control::LayoutButton, false, CycleLayout},
    {Control::HelpButton, false, OpenHelpFile},
};

const CommandEntry* FindCommand(int32_t controlId) {
  for (const CommandEntry& entry : kCommands) {
    if (static_cast<int32_t>(entry.control) == controlId) return &entry;
  }
  return nullptr;
}

}  // namespace

CommandOutcome RouteCommand(AppState* state, int32_t controlId, int32_t notifyCode) {
  const CommandEntry* entry = FindCommand(controlId);
  if (entry == nullptr) return CommandOutcome::NotHandled;
  if (notifyCode != kNotifyClicked && notifyCode != kNotifyDoubleClicked) {
    return CommandOutcome::Handled;
  }
  if (entry->idleOnly && state->status != StatusState::Idle) return CommandOutcome::Handled;
  entry->action(state);
  return CommandOutcome::Handled;
}

// Without a readme path there is nothing to hand to the shell; the user gets
// the same warning as for a file that cannot be opened.
void OpenHelpFile(AppState* state) {
  if (state->readmePath && g_shell.openDocument(state->readmePath.get())) return;
  g_shell.showWarning(state->window, u"readme.txt を開けませんでした", kFullTitle);
}
