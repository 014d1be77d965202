// The job worker on a real thread: the states and their texts in both
// wordings, the end of every job, cancel at its different moments, drops
// during a job, the Tree correction, command-line jobs and a worker that
// cannot be created.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/clipboard.h"
#include "platform/filesystem.h"
#include "platform/job_input.h"
#include "platform/memory.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "settings/setting_toggles.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"
#include "ui/layout.h"

namespace {

constexpr Control kLocked[] = {
    Control::PathFormLabel,  Control::SeparatorLabel, Control::ExtensionLabel,
    Control::ItemsLabel,     Control::FolderScanLabel, Control::FilePrefixEdit,
    Control::FileSuffixEdit, Control::FolderPrefixEdit, Control::FolderSuffixEdit,
};

const std::u16string kBefore = u"what the user had";

// Seams replaced by single tests reach their state through these.
std::atomic<int> s_releases{0};
void (*s_realRelease)(DropHandle) = nullptr;
uint32_t (*s_realQuery)(const char16_t*) = nullptr;
bool (*s_realEnumerate)(const char16_t*, FolderEntryFn, void*) = nullptr;
void (*s_realSetText)(Control, const char16_t*) = nullptr;
std::atomic<int> s_queries{0};
std::atomic<int> s_cancelAtQuery{0};
std::atomic<bool> s_holdQueries{false};
std::atomic<bool> s_queryEntered{false};
std::atomic<int> s_cancelAtDepth{0};
std::u16string s_scanRoot;
std::u16string s_commandLine;

void CountingRelease(DropHandle drop) {
  s_releases.fetch_add(1);
  s_realRelease(drop);
}

// Holds the worker at its first attribute query while s_holdQueries is set;
// cancels at the n-th query when asked to.
uint32_t ObservedQuery(const char16_t* path) {
  int number = s_queries.fetch_add(1) + 1;
  s_queryEntered.store(true);
  while (s_holdQueries.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
  if (number == s_cancelAtQuery.load()) CancelJob();
  return s_realQuery(path);
}

// Cancels when the scan reaches a folder s_cancelAtDepth levels below the
// dropped one.
bool CancellingEnumerate(const char16_t* folder, FolderEntryFn onEntry, void* context) {
  std::u16string path = folder;
  if (path.compare(0, s_scanRoot.size(), s_scanRoot) == 0) {
    int depth = 0;
    for (size_t i = s_scanRoot.size(); i < path.size(); ++i) depth += path[i] == u'\\';
    if (depth >= s_cancelAtDepth.load()) CancelJob();
  }
  return s_realEnumerate(folder, onEntry, context);
}

// A cancel that arrives once the clipboard step has begun.
void CancelWhenCopying(Control control, const char16_t* text) {
  s_realSetText(control, text);
  if (control == Control::StatusLabel && std::u16string(text) == StatusText(StatusState::Copying, false)) {
    CancelJob();
  }
}

class JobWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFileSystem_ = g_fileSystem;
    savedJobInput_ = g_jobInput;
    savedClipboard_ = g_clipboard;
    savedThread_ = g_thread;
    savedWindow_ = g_window;
    ResetWindowProbe();
    ResetListingSettings();
    g_settings.compactLayout.store(false);
    g_status.store(StatusState::Idle);
    g_job.abortFlag.store(false);
    g_job.failureFlag.store(false);
    g_job.commandLineMode = false;
    g_job.pendingDrop = nullptr;
    for (Control edit : {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                         Control::FolderSuffixEdit}) {
      g_window.setControlText(edit, u"");
    }
    ArmAllocationFailure(0);
    s_releases.store(0);
    s_queries.store(0);
    s_cancelAtQuery.store(0);
    s_holdQueries.store(false);
    s_queryEntered.store(false);
    s_realRelease = g_jobInput.releaseDrop;
    g_jobInput.releaseDrop = CountingRelease;
    WriteClipboardForTest(kBefore);
    a_ = folder_.AddFile(u"a.txt");
    b_ = folder_.AddFile(u"b.txt");
    liveBlocks_ = GetAllocationStats().liveBlocks;
  }

  void TearDown() override {
    s_holdQueries.store(false);
    WaitForWorker();
    ArmAllocationFailure(0);
    EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks_) << "the job left storage allocated";
    g_fileSystem = savedFileSystem_;
    g_jobInput = savedJobInput_;
    g_clipboard = savedClipboard_;
    g_thread = savedThread_;
    g_window = savedWindow_;
    g_job.commandLineMode = false;
    g_job.abortFlag.store(false);
    g_job.failureFlag.store(false);
    ResetListingSettings();
    RestoreWindowProbe();
  }

  void RunDropJob(const std::vector<std::u16string>& paths) {
    StartJob(MakeDrop(paths));
    WaitForWorker();
  }

  // The status texts written, each checked to follow the status blank.
  static std::vector<std::u16string> StatusShown() {
    std::vector<std::u16string> writes = TextWritesTo(Control::StatusLabel);
    std::vector<std::u16string> texts;
    for (size_t i = 0; i < writes.size(); ++i) {
      if (i % 2 == 0) {
        EXPECT_EQ(writes[i], kStatusBlank) << "write " << i << " should be the status blank";
      } else {
        texts.push_back(writes[i]);
      }
    }
    return texts;
  }

  static std::vector<std::u16string> Texts(std::initializer_list<StatusState> states, bool compact) {
    std::vector<std::u16string> texts;
    for (StatusState state : states) texts.push_back(StatusText(state, compact));
    return texts;
  }

  // What every job leaves behind, whatever its outcome.
  static void ExpectEndOfJob() {
    EXPECT_EQ(g_status.load(), StatusState::Idle);
    EXPECT_FALSE(g_job.abortFlag.load());
    EXPECT_FALSE(g_job.failureFlag.load());
    for (Control control : kLocked) EXPECT_TRUE(ControlEnabledNow(control)) << static_cast<int>(control);
    EXPECT_FALSE(ControlEnabledNow(Control::CancelButton));
    EXPECT_TRUE(DropsAcceptedNow());
    EXPECT_TRUE(TakeStatusTimer());
    EXPECT_EQ(g_job.pendingDrop, nullptr);
  }

  static std::u16string Clip(const std::u16string& text) { return text + std::u16string(1, u'\0'); }

  TempFolder folder_;
  std::u16string a_, b_;
  ThreadApi savedThread_;

 private:
  FileSystemApi savedFileSystem_;
  JobInputApi savedJobInput_;
  ClipboardApi savedClipboard_;
  WindowApi savedWindow_;
  int64_t liveBlocks_ = 0;
};

TEST_F(JobWorkerTest, StatusBlankIsTwentyThreeIdeographicSpaces) {
  EXPECT_EQ(std::u16string(kStatusBlank), std::u16string(23, u'\u3000'));
}

TEST_F(JobWorkerTest, ASuccessfulJobListsCopiesAndShowsDoneInTheFullWording) {
  RunDropJob({b_, a_});
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"a.txt\r\nb.txt"));
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Copying, StatusState::Done}, false));
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"リスト作成完了！貼り付けられます");
  EXPECT_EQ(s_releases.load(), 1);
  EXPECT_EQ(TakeCloseRequests(), 0);
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, LocksTheNineControlsAndCancelForTheJobInOrder) {
  RunDropJob({a_});
  std::vector<EnableChange> expected;
  for (Control control : kLocked) expected.push_back({control, false});
  expected.push_back({Control::CancelButton, true});
  expected.push_back({Control::CancelButton, false});
  for (Control control : kLocked) expected.push_back({control, true});
  EXPECT_EQ(EnableChanges(), expected);
}

TEST_F(JobWorkerTest, CompactWordingAndTheIdleTextWhenTheTimerFires) {
  g_settings.compactLayout.store(true);
  RunDropJob({a_});
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Copying, StatusState::Done}, true));
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"完了！");
  OnStatusTimer();
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"待機中");
  EXPECT_FALSE(TakeStatusTimer()) << "the expiry kills the timer";

  g_settings.compactLayout.store(false);
  OnStatusTimer();
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"ファイル・フォルダをドロップして下さい");
}

TEST_F(JobWorkerTest, ALayoutSwitchAfterAJobShowsTheIdleTextInTheNewWording) {
  RunDropJob({a_});
  SwitchLayout(true, true);
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"待機中");
  SwitchLayout(false, false);
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"ファイル・フォルダをドロップして下さい");
}

TEST_F(JobWorkerTest, NothingReadableEndsDoneWithAnEmptyClipboardText) {
  RunDropJob({folder_.path() + u"\\missing.txt"});
  EXPECT_EQ(ReadClipboardForTest(), Clip(u""));
  EXPECT_EQ(StatusShown().back(), StatusText(StatusState::Done, false));
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, CancelAtTheTopOfTheItemLoopInterruptsAndKeepsTheClipboard) {
  s_realQuery = g_fileSystem.queryAttributes;
  g_fileSystem.queryAttributes = ObservedQuery;
  s_cancelAtQuery.store(1);
  RunDropJob({a_, b_, folder_.path()});
  EXPECT_EQ(s_queries.load(), 1) << "the loop stops at the next item";
  EXPECT_EQ(ReadClipboardForTest(), Clip(kBefore));
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Interrupted}, false));
  EXPECT_EQ(s_releases.load(), 1);
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, CancelDuringADeepScanInterrupts) {
  std::u16string deep = u"d1/d2/d3/d4/d5/d6/d7/d8";
  for (int i = 0; i < 8; ++i) folder_.AddFile(deep.substr(0, 3 * i + 2) + u"/f.txt");
  s_scanRoot = folder_.path();
  s_cancelAtDepth.store(5);
  s_realEnumerate = g_fileSystem.enumerateFolder;
  g_fileSystem.enumerateFolder = CancellingEnumerate;
  RunDropJob({folder_.path()});
  EXPECT_EQ(ReadClipboardForTest(), Clip(kBefore));
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"作業を中断しました");
  ExpectEndOfJob();

  // The flags were cleared: the next job runs to the end.
  s_cancelAtDepth.store(1000);
  RunDropJob({a_});
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"a.txt"));
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"リスト作成完了！貼り付けられます");
}

TEST_F(JobWorkerTest, ACancelOnceCopyingHasBegunDoesNotStopTheCopy) {
  s_realSetText = g_window.setControlText;
  g_window.setControlText = CancelWhenCopying;
  RunDropJob({a_, b_});
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"a.txt\r\nb.txt"));
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Copying, StatusState::Done}, false));
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, AClipboardThatCannotBeHadFailsTheJob) {
  g_clipboard.setText = [](const char16_t*, size_t) { return ClipboardResult::Busy; };
  RunDropJob({a_});
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Copying, StatusState::Failed}, false));
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"失敗しました");
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, StorageExhaustedWhileListingFailsWithoutCopying) {
  g_settings.compactLayout.store(true);
  ArmAllocationFailure(1);
  RunDropJob({a_});
  ArmAllocationFailure(0);
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Failed}, true));
  EXPECT_EQ(ReadClipboardForTest(), Clip(kBefore));
  EXPECT_EQ(s_releases.load(), 1);
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, ADropWhileAJobRunsIsReleasedAndChangesNothing) {
  s_realQuery = g_fileSystem.queryAttributes;
  g_fileSystem.queryAttributes = ObservedQuery;
  s_holdQueries.store(true);
  StartJob(MakeDrop({a_}));
  ASSERT_TRUE(PumpUntil([] { return s_queryEntered.load(); }));
  EXPECT_EQ(g_status.load(), StatusState::Listing);
  EXPECT_FALSE(DropsAcceptedNow());

  StartJob(MakeDrop({b_}));
  EXPECT_EQ(s_releases.load(), 1) << "the second drop is released at once";
  EXPECT_EQ(g_status.load(), StatusState::Listing);
  EXPECT_TRUE(ControlEnabledNow(Control::CancelButton));

  s_holdQueries.store(false);
  WaitForWorker();
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"a.txt"));
  EXPECT_EQ(s_releases.load(), 2);
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Copying, StatusState::Done}, false));
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, ANewJobWithinTheOutcomesTimeKillsTheTimerAndShowsListing) {
  RunDropJob({a_});
  s_realQuery = g_fileSystem.queryAttributes;
  g_fileSystem.queryAttributes = ObservedQuery;
  s_holdQueries.store(true);
  StartJob(MakeDrop({b_}));
  ASSERT_TRUE(PumpUntil([] { return s_queryEntered.load(); }));
  EXPECT_FALSE(TakeStatusTimer()) << "the new job killed the previous job's timer";
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"リスト作成中...");
  s_holdQueries.store(false);
  WaitForWorker();
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"b.txt"));
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, TreeWithFilesOnlyRunsWithFilesAndFoldersAndKeepsIt) {
  folder_.AddFile(u"sub/c.txt");
  ApplyPathForm(PathForm::Tree, true);
  ApplyItemFilter(ItemFilter::FilesOnly, true);
  ResetWindowProbe();
  RunDropJob({folder_.path()});
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesAndFolders);
  EXPECT_EQ(TextWritesTo(Control::ItemsLabel),
            (std::vector<std::u16string>{kLabelBlank, u" 項目：ファイルとフォルダ"}));
  std::u16string clip = ReadClipboardForTest();
  EXPECT_NE(clip.find(u"sub"), std::u16string::npos) << Utf8(clip);
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, TreeWithFoldersOnlyIsNotChanged) {
  g_settings.pathForm = PathForm::Tree;
  g_settings.itemFilter = ItemFilter::FoldersOnly;
  RunDropJob({folder_.path()});
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FoldersOnly);
  EXPECT_TRUE(TextWritesTo(Control::ItemsLabel).empty());
}

TEST_F(JobWorkerTest, ACommandLineJobListsItsPathsAndClosesTheWindow) {
  s_commandLine = u"\"C:\\Tools\\dorrowin.exe\" " + b_ + u" \"" + a_ + u"\"";
  g_jobInput.commandLine = [] { return s_commandLine.c_str(); };
  g_job.commandLineMode = true;
  StartJob(nullptr);
  WaitForWorker();
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"a.txt\r\nb.txt"));
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"リスト作成完了！貼り付けられます");
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(s_releases.load(), 0);
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, ACommandLineOutsideTheGrammarFailsAndClosesTheWindow) {
  // The program path's quote is never closed.
  s_commandLine = u"\"C:\\Tools\\dorrowin.exe " + a_;
  g_jobInput.commandLine = [] { return s_commandLine.c_str(); };
  g_job.commandLineMode = true;
  StartJob(nullptr);
  WaitForWorker();
  EXPECT_EQ(StatusShown(), Texts({StatusState::Listing, StatusState::Failed}, false));
  EXPECT_EQ(ReadClipboardForTest(), Clip(kBefore));
  EXPECT_EQ(TakeCloseRequests(), 1);
  ExpectEndOfJob();
}

TEST_F(JobWorkerTest, AWorkerThatCannotBeCreatedEndsTheJobAsFailed) {
  g_thread.startThread = [](ThreadEntry) -> ThreadHandle { return nullptr; };
  StartJob(MakeDrop({a_}));
  EXPECT_EQ(s_releases.load(), 1) << "the drop is released";
  EXPECT_EQ(StatusShown(), Texts({StatusState::Failed}, false));
  EXPECT_EQ(ReadClipboardForTest(), Clip(kBefore));
  EXPECT_EQ(TakeCloseRequests(), 0);
  ExpectEndOfJob();

  // Drops are taken again and the next job runs.
  g_thread = savedThread_;
  RunDropJob({b_});
  EXPECT_EQ(ReadClipboardForTest(), Clip(u"b.txt"));
}

TEST_F(JobWorkerTest, ACommandLineJobWhoseWorkerCannotBeCreatedStillClosesTheWindow) {
  g_thread.startThread = [](ThreadEntry) -> ThreadHandle { return nullptr; };
  g_job.commandLineMode = true;
  StartJob(nullptr);
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"失敗しました");
  EXPECT_EQ(TakeCloseRequests(), 1);
  ExpectEndOfJob();
}

}  // namespace
