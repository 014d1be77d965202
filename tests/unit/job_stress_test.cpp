// Many jobs back to back on real threads, each cancelled at a random moment
// or not at all, started the way the window starts them: only once drops
// are accepted again. Under ThreadSanitizer this shows that the worker and
// the window's thread share nothing but the atomics meant for it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/memory.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

// Tracks the drop state as the window would know it.
std::atomic<bool> s_dropsAccepted{true};
void (*s_realAcceptDrops)(bool) = nullptr;

void TrackedAcceptDrops(bool accept) {
  s_realAcceptDrops(accept);
  s_dropsAccepted.store(accept);
}

// Counts the workers that have ended. A worker's handle is dropped when the
// next job starts, possibly before its last steps have run; the test waits
// for all of them before it puts the seams back.
std::atomic<int> s_started{0};
std::atomic<int> s_ended{0};
std::atomic<ThreadEntry> s_entry{nullptr};
ThreadHandle (*s_realStartThread)(ThreadEntry) = nullptr;

void CountedWorker() {
  s_entry.load()();
  s_ended.fetch_add(1);
}

ThreadHandle CountingStartThread(ThreadEntry entry) {
  s_entry.store(entry);
  ThreadHandle thread = s_realStartThread(CountedWorker);
  if (thread != nullptr) s_started.fetch_add(1);
  return thread;
}

TEST(JobStressTest, ManyJobsCancelledAtRandomMomentsEndCleanly) {
  WindowApi savedWindow = g_window;
  ThreadApi savedThread = g_thread;
  s_realStartThread = g_thread.startThread;
  g_thread.startThread = CountingStartThread;
  ResetWindowProbe();
  ResetListingSettings();
  g_settings.compactLayout.store(false);
  g_status.store(StatusState::Idle);
  g_job.commandLineMode = false;
  s_realAcceptDrops = g_window.acceptDrops;
  g_window.acceptDrops = TrackedAcceptDrops;
  s_dropsAccepted.store(true);

  TempFolder folder;
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) {
      folder.AddFile(u"f" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u"/g" +
                     std::u16string(1, static_cast<char16_t>(u'0' + j)) + u"/file.txt");
    }
  }
  int64_t liveBlocks = GetAllocationStats().liveBlocks;

  // The whole listing, from one job that nothing cancels.
  StartJob(MakeDrop({folder.path()}));
  WaitForWorker();
  std::u16string full = ReadClipboardForTest();
  ASSERT_GT(full.size(), 200u);
  ASSERT_EQ(ControlTextNow(Control::StatusLabel), StatusText(StatusState::Done, false));

  std::mt19937 random(20261206);
  const std::u16string marker = std::u16string(u"before the job") + u'\0';
  int done = 0;
  int interrupted = 0;
  for (int job = 0; job < 80; ++job) {
    SCOPED_TRACE(job);
    WriteClipboardForTest(u"before the job");
    ASSERT_TRUE(PumpUntil([] { return s_dropsAccepted.load(); }));
    s_dropsAccepted.store(false);
    StartJob(MakeDrop({folder.path()}));
    int action = static_cast<int>(random() % 4);
    if (action != 0) {
      // Cancel after a random pause, as a user clicking Cancel would,
      // while the job may be anywhere from its start to its end.
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
      CancelJob();
    }
    // The job's end: drops accepted again (its last steps may still run).
    ASSERT_TRUE(PumpUntil([] { return s_dropsAccepted.load(); }));
    std::u16string status = ControlTextNow(Control::StatusLabel);
    std::u16string clip = ReadClipboardForTest();
    if (status == StatusText(StatusState::Done, false)) {
      ++done;
      EXPECT_EQ(clip, full);
    } else {
      ++interrupted;
      EXPECT_EQ(status, StatusText(StatusState::Interrupted, false)) << Utf8(status);
      EXPECT_EQ(clip, marker);
    }
  }
  WaitForWorker();
  ASSERT_TRUE(PumpUntil([] { return s_ended.load() == s_started.load(); }));

  EXPECT_EQ(g_status.load(), StatusState::Idle);
  EXPECT_FALSE(g_job.abortFlag.load());
  EXPECT_FALSE(g_job.failureFlag.load());
  EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks);
  ::testing::Test::RecordProperty("done", done);
  ::testing::Test::RecordProperty("interrupted", interrupted);
  EXPECT_GT(done, 0);
  EXPECT_GT(interrupted, 0);

  g_window = savedWindow;
  g_thread = savedThread;
  ResetListingSettings();
  RestoreWindowProbe();
}

}  // namespace
