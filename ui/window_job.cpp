#include "ui/window_job.h"

#include <initializer_list>
#include <iterator>

#include "job/job_request.h"
#include "platform/clipboard.h"
#include "ui/commands.h"

namespace {

// The controls locked for the length of a job, in this order both ways.
void EnableJobLockedControls(AppState* state, bool enabled) {
  for (Control control : {Control::PathFormLabel, Control::SeparatorLabel, Control::ExtensionLabel,
                          Control::ItemsLabel, Control::FolderScanLabel, Control::FilePrefixEdit,
                          Control::FileSuffixEdit, Control::FolderPrefixEdit, Control::FolderSuffixEdit}) {
    g_window.enableControl(state->window, control, enabled);
  }
}

// Through the window's message queue, so that its thread alone touches the state.
void PostReport(void* context, JobReport report) {
  g_window.postJobReport(static_cast<AppState*>(context)->window, static_cast<int32_t>(report));
}

// Everything the job reads; the drop is released here, whatever happens. A
// part that cannot be taken makes the job fail without listing.
void TakeRequest(AppState* state, DropHandle drop, ListingRequest* request) {
  Text texts[kAffixCount];
  bool taken = ReadAffixEdits(state, texts);
  const char16_t* const views[kAffixCount] = {texts[0].get(), texts[1].get(), texts[2].get(), texts[3].get()};
  taken = taken && MakeJobRequest(&state->settings, PathStyle::Windows, views, request);
  if (drop != nullptr) {
    taken = taken && AddDropPaths(drop, request);
    g_jobInput.releaseDrop(drop);
  } else if (state->commandLineMode && taken) {
    taken = ParseCommandLine(g_jobInput.commandLine(), request);
  }
  if (!taken) request->inputFailed = true;
}

// The end of every job: the outcome's text, then Idle with the timer armed; a
// command-line job closes the window.
void FinishJob(AppState* state, StatusState outcome) {
  state->status = outcome;
  ShowStatus(state);
  state->status = StatusState::Idle;
  EnableJobLockedControls(state, true);
  g_window.acceptDrops(state->window, true);
  g_window.armStatusTimer(state->window);
  if (state->commandLineMode) g_window.postClose(state->window);
}

// Each state's compact and full wording, in the order of their values.
constexpr const char16_t* kStatusTexts[][2] = {
    {u"待機中", u"ファイル・フォルダをドロップして下さい"},
    {u"作成中...", u"リスト作成中..."},
    {u"コピー中...", u"クリップボードにコピー中..."},
    {u"完了！", u"リスト作成完了！貼り付けられます"},
    {u"中断", u"作業を中断しました"},
    {u"失敗", u"失敗しました"},
};

}  // namespace

// The job may turn FilesOnly into FilesAndFolders for the Tree form; the label
// then says so. A worker that cannot be had ends the job as Failed, the same way.
void StartJob(AppState* state, DropHandle drop) {
  g_window.acceptDrops(state->window, false);
  if (state->status != StatusState::Idle) {
    if (drop != nullptr) g_jobInput.releaseDrop(drop);
    return;
  }
  g_window.killStatusTimer(state->window);
  state->status = StatusState::Listing;
  ItemFilter before = state->settings.itemFilter;
  ListingRequest request{};
  TakeRequest(state, drop, &request);
  if (state->settings.itemFilter != before) ShowSetting(state, Control::ItemsLabel);

  EnableJobLockedControls(state, false);
  ShowStatus(state);
  g_window.enableControl(state->window, Control::CancelButton, true);
  if (!StartJobWorker(&state->job, &request, PostReport, state)) {
    g_window.enableControl(state->window, Control::CancelButton, false);
    FinishJob(state, StatusState::Failed);
  }
}

// Copying comes first when the listing succeeded; an outcome without it
// means the job ended in its listing, while Cancel was still enabled.
void OnJobReport(AppState* state, int32_t report) {
  if (state->status != StatusState::Listing && state->status != StatusState::Copying) return;
  if (static_cast<JobReport>(report) == JobReport::Copying) {
    state->status = StatusState::Copying;
    ShowStatus(state);
    g_window.enableControl(state->window, Control::CancelButton, false);
    return;
  }
  // The outcomes in the order of their reports: Done, Interrupted, Failed.
  constexpr StatusState kOutcomes[] = {StatusState::Done, StatusState::Interrupted, StatusState::Failed};
  auto index = static_cast<size_t>(report - static_cast<int32_t>(JobReport::Done));
  if (index >= std::size(kOutcomes)) return;
  if (state->status == StatusState::Listing) g_window.enableControl(state->window, Control::CancelButton, false);
  FinishJob(state, kOutcomes[index]);
}

// Taken only while idle, so that a refused paste leaves the clipboard alone;
// files that cannot be taken (clipboard busy, no memory) make a failed job.
void PasteFiles(AppState* state) {
  if (state->status != StatusState::Idle) return;
  DropHandle drop = nullptr;
  PasteResult result = g_clipboard.takeFiles(&drop);
  if (result == PasteResult::Taken) {
    StartJob(state, drop);
  } else if (result != PasteResult::NoFiles) {
    g_window.killStatusTimer(state->window);
    FinishJob(state, StatusState::Failed);
  }
}

void CancelWindowJob(AppState* state) { CancelJob(&state->job); }

// The worker checks the abort at every entry (a call blocked in the network
// ends when the system returns it) and waits for its readers before it ends.
void EndWindowJob(AppState* state) {
  CancelJob(&state->job);
  WaitForJob(&state->job);
}

void ShowStatus(AppState* state) {
  auto index = static_cast<size_t>(state->status) - static_cast<size_t>(StatusState::Idle);
  g_window.setControlText(state->window, Control::StatusLabel, kBlank);
  g_window.setControlText(state->window, Control::StatusLabel,
                          index < std::size(kStatusTexts) ? kStatusTexts[index][state->settings.compactLayout ? 0 : 1]
                                                          : u"");
}

void OnStatusTimer(AppState* state) {
  ShowStatus(state);
  g_window.killStatusTimer(state->window);
}
