#include "job/job_worker.h"

#include <atomic>

#include "engine/clipboard_text.h"
#include "engine/listing.h"
#include "engine/text.h"
#include "platform/memory.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "settings/listing_settings.h"

StatusState g_status = StatusState::Idle;
bool g_commandLineMode = false;

const char16_t kStatusBlank[] =
    u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    u"\u3000\u3000\u3000\u3000\u3000";
static_assert(sizeof(kStatusBlank) / sizeof(kStatusBlank[0]) == 24, "the status blank is 23 units");

namespace {

// The running job: its request, written before the worker starts and
// freed by the worker, and the cancel flag, the one thing both threads
// touch while it runs.
struct Job {
  ListingRequest request;
  std::atomic<bool> abort;
};

Job g_job{};
// The handle of the most recent worker.
ThreadHandle g_worker = nullptr;

// Locked for the length of a job, in this order both ways.
constexpr Control kJobLockedControls[] = {
    Control::PathFormLabel,  Control::SeparatorLabel, Control::ExtensionLabel,
    Control::ItemsLabel,     Control::FolderScanLabel, Control::FilePrefixEdit,
    Control::FileSuffixEdit, Control::FolderPrefixEdit, Control::FolderSuffixEdit,
};

constexpr Control kAffixEdits[kAffixCount] = {Control::FilePrefixEdit, Control::FileSuffixEdit,
                                              Control::FolderPrefixEdit, Control::FolderSuffixEdit};

void EnableJobLockedControls(bool enabled) {
  for (Control control : kJobLockedControls) g_window.enableControl(control, enabled);
}

// A text of the window's own, read into the request. The text may change
// between the two calls; the copy holds what the second call gave.
bool ReadControlText(Control control, RequestText* slot) {
  int32_t units = g_window.controlTextLength(control);
  if (units < 0) units = 0;
  auto* buffer = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(units) + 1, sizeof(char16_t)));
  if (buffer == nullptr) return false;
  buffer[0] = 0;
  int32_t got = g_window.controlText(control, buffer, units + 1);
  if (got < 0) got = 0;
  if (got > units) got = units;
  buffer[got] = 0;
  *slot = RequestText{buffer, static_cast<int32_t>(TextLength(buffer))};
  return true;
}

// Each dropped path's length is asked first, so no path is ever cut short.
bool ReadDropPaths(DropHandle drop, ListingRequest* request) {
  uint32_t count = g_jobInput.dropCount(drop);
  for (uint32_t index = 0; index < count; ++index) {
    uint32_t length = g_jobInput.dropPathLength(drop, index);
    auto* path = static_cast<char16_t*>(PlatformAllocArray(size_t{length} + 1, sizeof(char16_t)));
    if (path == nullptr) return false;
    uint32_t got = g_jobInput.dropPath(drop, index, path, length + 1);
    if (got > length) got = length;
    path[got] = 0;
    bool added = AddRequestPath(request, path, got);
    PlatformFree(path);
    if (!added) return false;
  }
  return true;
}

// Everything the job reads: the listing settings, the four affix texts and
// the input paths. The drop is released here, whatever happens. A part
// that cannot be taken makes the job fail without listing.
void TakeRequest(DropHandle drop, ListingRequest* request) {
  *request = ListingRequest{};
  request->options = ListingOptionsOf(g_settings);
  bool taken = true;
  for (int32_t i = 0; i < kAffixCount && taken; ++i) taken = ReadControlText(kAffixEdits[i], &request->affixes[i]);
  if (drop != nullptr) {
    taken = taken && ReadDropPaths(drop, request);
    g_jobInput.releaseDrop(drop);
  } else if (g_commandLineMode && taken) {
    taken = ParseCommandLine(g_jobInput.commandLine(), request);
  }
  if (!taken) request->inputFailed = true;
}

// The worker: the listing, then the clipboard; the request is freed before
// the outcome is reported, after which the worker touches nothing shared.
void RunJob(void* parameter) {
  Job* job = static_cast<Job*>(parameter);
  ListingText text{};
  ListingOutcome outcome = BuildListing(job->request, job->abort, &text);
  FreeListingRequest(&job->request);
  StatusState result = outcome == ListingOutcome::Interrupted ? StatusState::Interrupted : StatusState::Failed;
  if (outcome == ListingOutcome::Done) {
    g_window.postJobReport(static_cast<int32_t>(StatusState::Copying));
    result = CopyListingToClipboard(text) ? StatusState::Done : StatusState::Failed;
  }
  FreeListingText(&text);
  g_window.postJobReport(static_cast<int32_t>(result));
}

// The end of every job, whatever its outcome (already in g_status): the
// outcome's text, Idle, the controls unlocked, drops accepted and the status
// timer armed; a command-line job closes the window.
void FinishJob() {
  ShowStatus();
  g_status = StatusState::Idle;
  g_job.abort.store(false);
  EnableJobLockedControls(true);
  g_window.acceptDrops(true);
  g_window.armStatusTimer();
  if (g_commandLineMode) g_window.postClose();
}

}  // namespace

const char16_t* StatusText(StatusState state, bool compact) {
  switch (state) {
    case StatusState::Idle:
      return compact ? u"待機中" : u"ファイル・フォルダをドロップして下さい";
    case StatusState::Listing:
      return compact ? u"作成中..." : u"リスト作成中...";
    case StatusState::Copying:
      return compact ? u"コピー中..." : u"クリップボードにコピー中...";
    case StatusState::Done:
      return compact ? u"完了！" : u"リスト作成完了！貼り付けられます";
    case StatusState::Interrupted:
      return compact ? u"中断" : u"作業を中断しました";
    case StatusState::Failed:
      return compact ? u"失敗" : u"失敗しました";
  }
  return u"";
}

// The Tree form lists folders as the tree's branches, so FilesOnly becomes
// FilesAndFolders for the job and after it (the caller rewrites the label).
// A worker that cannot be created ends the job at once as Failed, through
// the same end as every job, so the program is never left refusing drops.
void StartJob(DropHandle drop) {
  g_window.acceptDrops(false);
  if (g_status != StatusState::Idle) {
    if (drop != nullptr) g_jobInput.releaseDrop(drop);
    return;
  }
  g_window.killStatusTimer();
  g_status = StatusState::Listing;
  if (g_settings.pathForm == PathForm::Tree && g_settings.itemFilter == ItemFilter::FilesOnly) {
    g_settings.itemFilter = ItemFilter::FilesAndFolders;
  }
  if (g_worker != nullptr) {
    g_thread.closeThread(g_worker);
    g_worker = nullptr;
  }
  g_job.abort.store(false);
  TakeRequest(drop, &g_job.request);

  EnableJobLockedControls(false);
  ShowStatus();
  g_window.enableControl(Control::CancelButton, true);
  g_worker = g_thread.startThread(RunJob, &g_job);
  if (g_worker == nullptr) {
    FreeListingRequest(&g_job.request);
    g_window.enableControl(Control::CancelButton, false);
    g_status = StatusState::Failed;
    FinishJob();
  }
}

// Copying comes first when the listing succeeded; an outcome without it
// means the job ended in its listing, while Cancel was still enabled.
void OnJobReport(int32_t report) {
  if (g_status != StatusState::Listing && g_status != StatusState::Copying) return;
  auto state = static_cast<StatusState>(report);
  if (state == StatusState::Copying) {
    g_status = StatusState::Copying;
    ShowStatus();
    g_window.enableControl(Control::CancelButton, false);
    return;
  }
  if (state != StatusState::Done && state != StatusState::Interrupted && state != StatusState::Failed) return;
  if (g_status == StatusState::Listing) g_window.enableControl(Control::CancelButton, false);
  g_status = state;
  FinishJob();
}

void CancelJob() { g_job.abort.store(true); }

// The blank first, then the text.
void ShowStatus() {
  g_window.setControlText(Control::StatusLabel, kStatusBlank);
  g_window.setControlText(Control::StatusLabel, StatusText(g_status, g_settings.compactLayout));
}

void OnStatusTimer() {
  ShowStatus();
  g_window.killStatusTimer();
}

void WaitForWorker() {
  if (g_worker != nullptr) g_thread.waitThread(g_worker);
}
