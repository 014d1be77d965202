#include "ui/commands.h"

#include "job/job_worker.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "ui/layout.h"
#include "ui/setting_labels.h"
#include "ui/stored_settings.h"
#include "ui/ui_state.h"

namespace {

// One clickable control's action.
struct CommandEntry {
  Control control;
  bool idleOnly;  // changes what a running job reads, so refused during a job
  void (*action)();
};

// The setting operations are all called in cycle mode, where the value passed
// is not used; the current one keeps the call's meaning obvious.
void CyclePathForm() { ApplyPathForm(g_settings.pathForm, false); }
void CycleExtensionShown() { ApplyExtensionShown(g_settings.extensionShown, false); }
void CycleItemFilter() { ApplyItemFilter(g_settings.itemFilter, false); }
void CycleFolderScan() { ApplyFolderScan(g_settings.folderScan, false); }
void CycleAlwaysOnTop() { ApplyAlwaysOnTop(g_settings.alwaysOnTop, false); }
void CycleTranslucent() { ApplyTranslucent(g_settings.translucent, false); }
void CycleLayout() { SwitchLayout(g_settings.compactLayout, false); }
void MinimizeMainWindow() { g_window.minimize(); }

constexpr CommandEntry kCommands[] = {
    {Control::PathFormLabel, true, CyclePathForm},
    {Control::ExtensionLabel, true, CycleExtensionShown},
    {Control::ItemsLabel, true, CycleItemFilter},
    {Control::FolderScanLabel, true, CycleFolderScan},
    {Control::SeparatorLabel, true, ToggleSeparator},
    {Control::TopmostLabel, false, CycleAlwaysOnTop},
    {Control::TranslucentLabel, false, CycleTranslucent},
    {Control::CancelButton, false, CancelJob},
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

CommandOutcome RouteCommand(int32_t controlId, int32_t notifyCode) {
  const CommandEntry* entry = FindCommand(controlId);
  if (entry == nullptr) return CommandOutcome::NotHandled;
  if (notifyCode != kNotifyClicked && notifyCode != kNotifyDoubleClicked) {
    return CommandOutcome::Handled;
  }
  if (entry->idleOnly && g_status != StatusState::Idle) return CommandOutcome::Handled;
  entry->action();
  return CommandOutcome::Handled;
}

// The job may turn FilesOnly into FilesAndFolders for the Tree form; the
// label then says so.
void StartWindowJob(DropHandle drop) {
  ItemFilter before = g_settings.itemFilter;
  StartJob(drop);
  if (g_settings.itemFilter != before) ApplyItemFilter(g_settings.itemFilter, true);
}

// Without a readme path there is nothing to hand to the shell; the user gets
// the same warning as for a file that cannot be opened.
void OpenHelpFile() {
  if (g_ui.readmePath != nullptr && g_shell.openDocument(g_ui.readmePath)) return;
  g_shell.showWarning(u"readme.txt を開けませんでした", g_ui.fullTitle);
}
