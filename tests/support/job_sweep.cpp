#include "tests/support/job_sweep.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

constexpr Control kLocked[] = {
    Control::PathFormLabel,  Control::SeparatorLabel, Control::ExtensionLabel,
    Control::ItemsLabel,     Control::FolderScanLabel, Control::FilePrefixEdit,
    Control::FileSuffixEdit, Control::FolderPrefixEdit, Control::FolderSuffixEdit,
};
constexpr Control kEdits[] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                              Control::FolderSuffixEdit};

const std::u16string kBefore = u"on the clipboard before the job";

// A fresh window history for each run, so that reading it stays cheap, with
// the affixes written again.
void PrepareRun(const JobSweep& sweep) {
  ResetWindowProbe();
  for (int i = 0; i < 4; ++i) g_window.setControlText(kEdits[i], sweep.affixes[i].c_str());
}

void RunOnce(const JobSweep& sweep) {
  sweep.start();
  WaitForWorker();
}

// What every job leaves, whatever its outcome; false after the first miss.
bool EndedCleanly(const JobSweep& sweep, StatusState outcome, const std::string& where) {
  bool compact = g_settings.compactLayout.load();
  bool clean = true;
  auto check = [&](bool condition, const char* what) {
    if (!condition) {
      ADD_FAILURE() << where << ": " << what;
      clean = false;
    }
  };
  check(ControlTextNow(Control::StatusLabel) == StatusText(outcome, compact), "the outcome's text");
  check(g_status.load() == StatusState::Idle, "the state is Idle");
  check(!g_job.abortFlag.load() && !g_job.failureFlag.load(), "both flags clear");
  check(g_job.pendingDrop == nullptr, "no drop pending");
  check(DropsAcceptedNow(), "drops accepted");
  check(!ControlEnabledNow(Control::CancelButton), "Cancel disabled");
  for (Control control : kLocked) {
    if (!ControlEnabledNow(control)) {
      check(false, "the job-locked controls enabled");
      break;
    }
  }
  check(TakeStatusTimer(), "the status timer armed");
  if (sweep.leftNothingBehind) check(sweep.leftNothingBehind(), "nothing left behind outside memory");
  return clean;
}

}  // namespace

JobSweepFigures SweepJobAllocations(const JobSweep& sweep) {
  JobSweepFigures figures{0, 0, 0};
  int64_t liveBlocks = GetAllocationStats().liveBlocks;

  PrepareRun(sweep);
  WriteClipboardForTest(kBefore);
  uint64_t before = GetAllocationStats().allocations;
  RunOnce(sweep);
  figures.allocations = GetAllocationStats().allocations - before;
  if (!EndedCleanly(sweep, StatusState::Done, "the job without failures")) return figures;
  std::u16string full = ReadClipboardForTest();
  if (sweep.checkText) sweep.checkText(full.substr(0, full.empty() ? 0 : full.size() - 1));
  EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks);

  const std::u16string marker = kBefore + std::u16string(1, u'\0');
  int failing = 0;
  std::vector<uint64_t> ks;
  for (uint64_t k = 1; k <= figures.allocations; k += sweep.stride == 0 ? 1 : sweep.stride) ks.push_back(k);
  if (!ks.empty() && ks.back() != figures.allocations) ks.push_back(figures.allocations);
  for (uint64_t k : ks) {
    if (failing >= 3) break;
    std::string where = "allocation " + std::to_string(k) + " of " + std::to_string(figures.allocations);
    PrepareRun(sweep);
    WriteClipboardForTest(kBefore);
    uint64_t failures = GetAllocationStats().failures;
    ArmAllocationFailure(k);
    RunOnce(sweep);
    ArmAllocationFailure(0);
    bool passed = EndedCleanly(sweep, StatusState::Failed, where);
    if (GetAllocationStats().failures != failures + 1) {
      ADD_FAILURE() << where << ": the injected failure did not hit";
      passed = false;
    }
    if (GetAllocationStats().liveBlocks != liveBlocks) {
      ADD_FAILURE() << where << ": " << GetAllocationStats().liveBlocks - liveBlocks << " blocks left allocated";
      passed = false;
    }
    if (ReadClipboardForTest() != marker) {
      ADD_FAILURE() << where << ": the clipboard changed";
      passed = false;
    }
    ++figures.covered;
    if (figures.covered % sweep.nextJobEvery == 0 || k == figures.allocations) {
      PrepareRun(sweep);
      RunOnce(sweep);
      if (!EndedCleanly(sweep, StatusState::Done, where + ", the next job") || ReadClipboardForTest() != full) {
        ADD_FAILURE() << where << ": the next job did not list everything";
        passed = false;
      }
    }
    if (passed) {
      ++figures.survived;
    } else {
      ++failing;
    }
  }
  EXPECT_EQ(figures.survived, figures.covered);
  return figures;
}
