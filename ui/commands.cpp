#include "ui/commands.h"

#include "platform/shell.h"
#include "platform/window.h"
#include "ui/layout.h"
#include "ui/setting_labels.h"
#include "ui/stored_settings.h"
#include "ui/window_job.h"

namespace {

// The notification codes a clickable label sends.
constexpr int32_t kNotifyClicked = 0;
constexpr int32_t kNotifyDoubleClicked = 1;

// One clickable control's action; none: the label's setting steps on.
struct CommandEntry {
  Control control;
  bool idleOnly;  // changes what a running job reads, so refused during a job
  void (*action)(AppState* state);
};

void CycleLayout(AppState* state) { SwitchLayout(state, !state->settings.compactLayout); }
void MinimizeMainWindow(AppState* state) { g_window.minimize(state->window); }

// The help button asks the shell to open the readme file. Without a readme
// path there is nothing to hand to the shell; the user gets the same warning
// as for a file that cannot be opened.
void OpenHelpFile(AppState* state) {
  if (state->readmePath && g_shell.openDocument(state->readmePath.get())) return;
  g_shell.showWarning(state->window, u"readme.txt を開けませんでした", kFullTitle);
}

constexpr CommandEntry kCommands[] = {
    {Control::PathFormLabel, true, nullptr},
    {Control::ExtensionLabel, true, nullptr},
    {Control::ItemsLabel, true, nullptr},
    {Control::FolderScanLabel, true, nullptr},
    {Control::SeparatorLabel, true, nullptr},
    {Control::TopmostLabel, false, nullptr},
    {Control::TranslucentLabel, false, nullptr},
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
  if (entry->action != nullptr) {
    entry->action(state);
  } else {
    CycleSetting(state, entry->control);
  }
  return CommandOutcome::Handled;
}
