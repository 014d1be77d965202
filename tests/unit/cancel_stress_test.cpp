// A hundred cancels at random moments of a large scan on disk, each from
// the test's thread (the window's) while the worker runs on its own, as a
// user clicking Cancel would. A job cancelled while it lists must end
// Interrupted with the clipboard as it was; one whose cancel came after its
// listing had ended may end Done, with the whole text. Nothing is leaked,
// both flags end clear, and a job that nothing cancels lists everything.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTopFolders = 20;
constexpr int kSubfolders = 10;
constexpr int kFilesEach = 100;
// Files, the folders holding them and the dropped folder's own line.
constexpr int kEntries = kTopFolders * kSubfolders * kFilesEach + kTopFolders * kSubfolders + kTopFolders + 1;
constexpr int kCancels = 100;

// The large tree, made once per test program and removed at its end.
class LargeTree {
 public:
  LargeTree() {
    for (int t = 0; t < kTopFolders; ++t) {
      for (int s = 0; s < kSubfolders; ++s) {
        fs::path folder = scratch_.native() / "large" / Numbered("t", t) / Numbered("s", s);
        fs::create_directories(folder);
        for (int f = 0; f < kFilesEach; ++f) std::ofstream(folder / (Numbered("f", f) + ".txt"));
      }
    }
  }
  // The dropped folder, in the program's own form.
  std::u16string Dropped() const { return scratch_.path() + u"\\large"; }

 private:
  static std::string Numbered(const char* prefix, int number) {
    std::string name = prefix;
    name += std::to_string(number);
    return name;
  }
  ScratchFolder scratch_;
};

const LargeTree& TheLargeTree() {
  static LargeTree tree;
  return tree;
}

// Entries that the enumeration has handed to the engine so far in this job.
std::atomic<int> s_entriesSeen{0};
bool (*s_realEnumerate)(const char16_t*, FolderEntryFn, void*) = nullptr;

struct Forward {
  FolderEntryFn onEntry;
  void* context;
};

bool CountEntry(void* context, const FolderEntry& entry) {
  Forward* forward = static_cast<Forward*>(context);
  if (entry.name[0] != u'.') s_entriesSeen.fetch_add(1);
  return forward->onEntry(forward->context, entry);
}

// The real enumeration, counted.
bool CountingEnumerate(const char16_t* folder, FolderEntryFn onEntry, void* context) {
  Forward forward{onEntry, context};
  return s_realEnumerate(folder, CountEntry, &forward);
}

class CancelStressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedWindow_ = g_window;
    savedFileSystem_ = g_fileSystem;
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.commandLineMode = false;
    s_realEnumerate = g_fileSystem.enumerateFolder;
    g_fileSystem.enumerateFolder = CountingEnumerate;
  }
  void TearDown() override {
    WaitForWorker();
    g_window = savedWindow_;
    g_fileSystem = savedFileSystem_;
    ResetListingSettings();
    RestoreWindowProbe();
  }

  std::u16string StatusNow() { return ControlTextNow(Control::StatusLabel); }
  std::u16string Text(StatusState state) { return StatusText(state, g_settings.compactLayout.load()); }

 private:
  WindowApi savedWindow_;
  FileSystemApi savedFileSystem_;
};

TEST_F(CancelStressTest, AHundredCancelsAtRandomMomentsOfALargeScan) {
  std::u16string dropped = TheLargeTree().Dropped();
  int64_t liveBlocks = GetAllocationStats().liveBlocks;
  // The jobs take the four path forms in turn, with affixes on the lines.
  const PathForm forms[] = {PathForm::Relative, PathForm::Tree, PathForm::Absolute, PathForm::NameOnly};
  auto useForm = [&](int job) {
    g_settings.pathForm = forms[job % 4];
    g_window.setControlText(Control::FilePrefixEdit, u"- ");
    g_window.setControlText(Control::FolderSuffixEdit, u"\\");
  };

  // The whole listing in each form, from jobs that nothing cancels.
  int total = 0;
  std::u16string fullText[4];
  for (int form = 0; form < 4; ++form) {
    ResetWindowProbe();
    useForm(form);
    s_entriesSeen.store(0);
    StartJob(MakeDrop({dropped}));
    WaitForWorker();
    ASSERT_EQ(StatusNow(), Text(StatusState::Done));
    total = s_entriesSeen.load();
    ASSERT_EQ(total, kEntries - 1);
    fullText[form] = ReadClipboardForTest();
    size_t lines = 1;
    for (char16_t ch : fullText[form]) lines += ch == u'\n';
    ASSERT_EQ(lines, static_cast<size_t>(kEntries));
  }

  std::mt19937 random(20261207);
  const std::u16string marker = std::u16string(u"before the job") + u'\0';
  int interrupted = 0;
  int afterListing = 0;
  int lateCancels = 0;
  for (int job = 0; job < kCancels; ++job) {
    SCOPED_TRACE("job " + std::to_string(job));
    ResetWindowProbe();
    useForm(job);
    const std::u16string& full = fullText[job % 4];
    WriteClipboardForTest(u"before the job");
    s_entriesSeen.store(0);
    // The moment: once this many entries have been read, from none (before
    // the worker has begun) to a little past the end (the listing is over).
    int moment = static_cast<int>(random() % static_cast<unsigned>(total + total / 10));
    StartJob(MakeDrop({dropped}));
    ASSERT_TRUE(PumpUntil([&] { return s_entriesSeen.load() >= moment || g_status.load() != StatusState::Listing; }));
    if (moment >= total && random() % 3 == 0) {
      // A click that arrives once the job has ended.
      ASSERT_TRUE(PumpUntil([] { return g_status.load() == StatusState::Idle; }));
    } else if (moment > total / 2 && random() % 2 == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
    }
    CancelJob();
    // Read after the cancel: a job that rightly ends Done had read every
    // entry before it, so the count is complete by now. A cancel that finds
    // the state Idle may have come after the worker cleared the flags: a
    // late click, which the next job's start must not take for its own.
    int seenAtCancel = s_entriesSeen.load();
    bool late = g_status.load() == StatusState::Idle;
    WaitForWorker();
    // The scan checks the flag before each entry: at most the entry in
    // hand when the cancel came is read after it.
    EXPECT_LE(s_entriesSeen.load() - seenAtCancel, 1) << "the scan went on reading after the cancel";

    std::u16string status = StatusNow();
    if (status == Text(StatusState::Interrupted)) {
      ++interrupted;
      EXPECT_EQ(ReadClipboardForTest(), marker);
    } else {
      // Done is right only for a cancel that came once every entry had
      // been read: before that, the scan's next check must stop the job.
      ++afterListing;
      EXPECT_EQ(status, Text(StatusState::Done)) << Utf8(status);
      EXPECT_EQ(seenAtCancel, total) << "a cancel during the listing let the job finish";
      EXPECT_TRUE(ReadClipboardForTest() == full) << "the clipboard text of a job that ended Done";
    }
    EXPECT_EQ(g_status.load(), StatusState::Idle);
    if (late) {
      ++lateCancels;
    } else {
      EXPECT_FALSE(g_job.abortFlag.load());
    }
    EXPECT_FALSE(g_job.failureFlag.load());
    EXPECT_TRUE(DropsAcceptedNow());
    EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks) << "blocks left by a cancelled job";

    // After a late cancel, every tenth cancel and the last: the next job
    // lists everything.
    if (late || job % 10 == 9) {
      ResetWindowProbe();
      useForm(job);
      StartJob(MakeDrop({dropped}));
      WaitForWorker();
      EXPECT_EQ(StatusNow(), Text(StatusState::Done));
      EXPECT_TRUE(ReadClipboardForTest() == full) << "the job after a cancel did not list everything";
    }
    if (HasFailure()) break;
  }
  EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks);
  std::cout << "[ cancels  ] " << interrupted + afterListing << " cancels of a scan of " << total + 1
            << " entries: " << interrupted << " interrupted, " << afterListing << " after the listing ("
            << lateCancels << " after the job's end)\n";
  RecordProperty("interrupted", interrupted);
  RecordProperty("after the listing", afterListing);
  EXPECT_EQ(interrupted + afterListing, kCancels);
  EXPECT_GT(interrupted, kCancels / 2);
}

}  // namespace
