#include "job/job_worker.h"

#include "engine/clipboard_text.h"
#include "engine/gather.h"
#include "engine/job_context.h"
#include "engine/path_node.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "settings/setting_toggles.h"

std::atomic<StatusState> g_status{StatusState::Idle};

const char16_t kStatusBlank[] =
    u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    u"\u3000\u3000\u3000\u3000\u3000";
static_assert(sizeof(kStatusBlank) / sizeof(kStatusBlank[0]) == 24, "the status blank is 23 units");

namespace {

// The handle of the most recent worker; kept and used by the
// user-interface thread only.
ThreadHandle g_worker = nullptr;

// Locked for the length of a job, in this order both ways.
constexpr Control kJobLockedControls[] = {
    Control::PathFormLabel,  Control::SeparatorLabel, Control::ExtensionLabel,
    Control::ItemsLabel,     Control::FolderScanLabel, Control::FilePrefixEdit,
    Control::FileSuffixEdit, Control::FolderPrefixEdit, Control::FolderSuffixEdit,
};

void EnableJobLockedControls(bool enabled) {
  for (Control control : kJobLockedControls) g_window.enableControl(control, enabled);
}

// The end of every job, whatever its outcome (already in g_status): the
// outcome's text, Idle, both flags clear, the controls unlocked, drops
// accepted and the status timer armed; a command-line job closes the window.
// Idle is written before drops are accepted again, so no new job can start
// while this one still writes the state.
void FinishJob() {
  ShowStatus();
  g_status.store(StatusState::Idle);
  g_job.abortFlag.store(false);
  g_job.failureFlag.store(false);
  EnableJobLockedControls(true);
  g_window.acceptDrops(true);
  g_window.armStatusTimer();
  if (g_job.commandLineMode) g_window.postClose();
}

StatusState Outcome(StatusState success) {
  return g_job.failureFlag.load() ? StatusState::Failed : success;
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

// Runs on the user-interface thread. The Tree form lists folders as the
// tree's branches, so FilesOnly becomes FilesAndFolders for the job and
// after it; that correction is made here, before the worker exists, so that
// no listing setting is ever written by the worker while the window reads it.
// A worker that cannot be created ends the job at once as Failed, through the
// same end as every job, so the program is never left refusing drops.
void StartJob(DropHandle drop) {
  g_window.acceptDrops(false);
  if (g_status.load() != StatusState::Idle) {
    if (drop != nullptr) g_jobInput.releaseDrop(drop);
    return;
  }
  g_window.killStatusTimer();
  g_status.store(StatusState::Listing);
  if (g_settings.pathForm == PathForm::Tree && g_settings.itemFilter == ItemFilter::FilesOnly) {
    ApplyItemFilter(ItemFilter::FilesAndFolders, true);
  }
  if (g_worker != nullptr) {
    g_thread.closeThread(g_worker);
    g_worker = nullptr;
  }
  // Cancel is disabled outside a job, so a set abort flag here can only be
  // a late click of the previous one; it must not cancel this job.
  g_job.abortFlag.store(false);
  if (drop != nullptr) g_job.pendingDrop = drop;
  g_worker = g_thread.startThread(RunJob);
  if (g_worker == nullptr) {
    if (g_job.pendingDrop != nullptr) {
      g_jobInput.releaseDrop(g_job.pendingDrop);
      g_job.pendingDrop = nullptr;
    }
    g_status.store(StatusState::Failed);
    FinishJob();
  }
}

// The worker thread's body: lock, list, copy, settle the outcome, unlock.
void RunJob() {
  EnableJobLockedControls(false);
  ShowStatus();
  g_window.enableControl(Control::CancelButton, true);

  PathNode* outputHead = nullptr;
  PathNode* outputTail = nullptr;
  if (g_job.commandLineMode) {
    GatherCommandLineItems(&outputHead, &outputTail);
  } else {
    GatherDroppedItems(&outputHead, &outputTail);
  }

  if (g_job.abortFlag.load()) {
    FreeNodeList(&outputHead, &outputTail);
    g_window.enableControl(Control::CancelButton, false);
    g_status.store(Outcome(StatusState::Interrupted));
  } else {
    g_status.store(StatusState::Copying);
    ShowStatus();
    g_window.enableControl(Control::CancelButton, false);
    CopyListToClipboard(&outputHead, &outputTail);
    g_status.store(Outcome(StatusState::Done));
  }
  FinishJob();
}

// The blank first, then the text; runs on either thread.
void ShowStatus() {
  g_window.setControlText(Control::StatusLabel, kStatusBlank);
  g_window.setControlText(Control::StatusLabel, StatusText(g_status.load(), g_settings.compactLayout.load()));
}

void CancelJob() { g_job.abortFlag.store(true); }

void OnStatusTimer() {
  ShowStatus();
  g_window.killStatusTimer();
}

void WaitForWorker() {
  if (g_worker != nullptr) g_thread.waitThread(g_worker);
}
