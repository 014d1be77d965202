// Whole jobs as the window runs them: StartJob on this thread, the worker on
// its own, its reports pumped here; what the window shows, the clipboard,
// and every allocation failing in turn.

#include <random>
#include <thread>

#include "tests/support/test_support.h"

namespace {

const std::u16string kBlank(23, u'\u3000');
const std::u16string kLock[] = {u"10001", u"10023", u"10002", u"10008", u"10009", u"10006", u"10007", u"10019", u"10020"};

class JobTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetStandIns();
    ResetListingSettings();
    g_commandLineMode = false;
    folder.Make({"w/b.txt", "w/docs/a.md", "w/docs/img/p.png"});
    SetClipboardText(u"before");
  }
  void TearDown() override {
    EXPECT_TRUE(LiveDrops() == 0 && g_status == StatusState::Idle);
    g_commandLineMode = false;
  }
  std::u16string RunDrop() { return RunWindowJob(MakeDrop({folder["w/docs"], folder["w/b.txt"]})); }
  ScratchFolder folder;
  const std::u16string kText = u"b.txt\r\ndocs\r\ndocs\\a.md\r\ndocs\\img\r\ndocs\\img\\p.png";
};

// "*" stands for the status blank, "lock" and "unlock" for the nine
// job-locked controls in their order.
std::vector<std::u16string> Expand(const std::vector<std::u16string>& events) {
  std::vector<std::u16string> out;
  for (const std::u16string& e : events) {
    if (e == u"lock" || e == u"unlock") {
      for (const std::u16string& id : kLock) out.push_back(u"enable " + id + (e == u"lock" ? u" 0" : u" 1"));
    } else {
      out.push_back(e.back() == u'*' ? e.substr(0, e.size() - 1) + kBlank : e);
    }
  }
  return out;
}

TEST_F(JobTest, ADropIsListedToTheClipboardWithTheStatusOfEachPhase) {
  g_settings.compactLayout = false;
  EXPECT_EQ(RunDrop(), u"リスト作成完了！貼り付けられます");
  EXPECT_EQ(WindowLog(), Expand({u"drops 0", u"timer 0", u"lock", u"text 10003 *", u"text 10003 リスト作成中...",
                                 u"enable 10013 1", u"text 10003 *", u"text 10003 クリップボードにコピー中...",
                                 u"enable 10013 0", u"text 10003 *", u"text 10003 リスト作成完了！貼り付けられます",
                                 u"unlock", u"drops 1", u"timer 1"}));
  EXPECT_EQ(ClipboardText(), kText);
  ClearWindowLog();
  OnStatusTimer();
  EXPECT_EQ(WindowLog(), Expand({u"text 10003 *", u"text 10003 ファイル・フォルダをドロップして下さい", u"timer 0"}));
}

TEST_F(JobTest, OutcomesOtherThanDoneKeepTheClipboard) {
  SetControlTextForTest(Control::FilePrefixEdit, u"* ");
  g_settings.itemFilter = ItemFilter::FilesOnly;
  g_settings.pathForm = PathForm::Tree;
  EXPECT_EQ(RunDrop(), u"完了！");  // Tree lists folders: FilesOnly became FilesAndFolders
  EXPECT_EQ(ClipboardText(), u"* b.txt\r\ndocs\r\n ┣* a.md\r\n ┗img\r\n 　 ┗* p.png");
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesAndFolders);
  EXPECT_EQ(ControlText(Control::ItemsLabel), u" 項目：ファイルとフォルダ");

  SetClipboardText(u"before");
  SetClipboardBusy(true);
  EXPECT_EQ(RunDrop(), u"失敗");
  SetClipboardBusy(false);

  // A cancel in the middle of the scan; a late one does not touch the next job.
  FileSystemApi real = g_fileSystem;
  g_fileSystem.enumerateFolder = [](const char16_t*, FolderEntryFn, void*) { return CancelJob(), FolderRead::Complete; };
  EXPECT_EQ(RunDrop(), u"中断");
  g_fileSystem = real;
  EXPECT_EQ(ClipboardText(), u"before");
  CancelJob();
  g_settings.pathForm = PathForm::Relative;
  EXPECT_EQ(RunDrop(), u"完了！");
  EXPECT_EQ(ClipboardText(), u"* b.txt\r\ndocs\r\n* docs\\a.md\r\ndocs\\img\r\n* docs\\img\\p.png");

  ThreadApi threads = g_thread;  // no worker: the job ends at once, the window usable again
  g_thread.startThread = [](ThreadEntry, void*) -> ThreadHandle { return nullptr; };
  EXPECT_EQ(RunDrop(), u"失敗");
  g_thread = threads;
  EXPECT_TRUE(WindowLog().back() == u"timer 1" && ControlEnabled(Control::PathFormLabel));
}

TEST_F(JobTest, ADropDuringAJobIsReleasedAndStartsNothing) {
  StartJob(MakeDrop({folder["w/b.txt"]}));
  ClearWindowLog();
  StartJob(MakeDrop({folder["w/docs"]}));
  EXPECT_EQ(WindowLog(), std::vector<std::u16string>{u"drops 0"});
  PumpJobReports();
  EXPECT_EQ(ClipboardText(), u"b.txt");
}

TEST_F(JobTest, ACommandLineJobListsItsPathsAndClosesTheWindow) {
  g_commandLineMode = true;
  g_settings.pathForm = PathForm::NameOnly;
  SetCommandLine(u"\"C:\\Program Files\\dorrowin.exe\"  \"" + folder["w/docs/img"] + u"\" " + folder["w/b.txt"]);
  EXPECT_EQ(RunWindowJob(nullptr), u"完了！");
  EXPECT_EQ(ClipboardText(), u"b.txt\r\nimg\r\np.png");
  EXPECT_EQ(WindowLog().back(), u"close");
  SetCommandLine(u"dorrowin.exe " + folder["w/b.txt"]);
  EXPECT_EQ(RunWindowJob(nullptr), u"完了！");
  EXPECT_EQ(ClipboardText(), u"b.txt");
  SetCommandLine(u"\"dorrowin.exe " + folder["w/b.txt"]);
  EXPECT_EQ(RunWindowJob(nullptr), u"失敗");
  EXPECT_EQ(WindowLog().back(), u"close");
}

// Cancels at random moments of a scan of 20,021 entries on disk, from this
// thread while the worker runs, the four path forms in turn: Interrupted with
// the clipboard kept, or Done with the whole text when the cancel came once
// the last folder had been read; after a cancel at most the entry in hand
// is taken. Races show under ThreadSanitizer.
TEST_F(JobTest, CancelsAtRandomMomentsOfALargeScan) {
  static std::atomic<int> entries{0}, foldersRead{0}, takenAfterCancel{0};
  static std::atomic<bool> cancelled{false};
  static FileSystemApi real = g_fileSystem;
  static FolderEntryFn onEntry;  // the engine's, the same for every folder
  for (int i = 0; i < 20000; ++i) folder.Make({"tree/d" + std::to_string(i / 1000) + "/f" + std::to_string(i) + ".txt"});
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn engine, void* context) {
    onEntry = engine;
    FolderRead read = real.enumerateFolder(path, [](void* c, const FolderEntry& entry) {
      bool taken = (++entries, onEntry(c, entry));
      return takenAfterCancel += taken && cancelled, taken;
    }, context);
    return ++foldersRead, read;
  };
  std::mt19937 random(5);
  int interrupted = 0;
  for (int round = 0; round < 100; ++round) {
    g_settings.pathForm = static_cast<PathForm>(1 + round % 4);
    SetClipboardText(u"before");
    entries = foldersRead = takenAfterCancel = 0;
    cancelled = false;
    int target = static_cast<int>(random() % 22000);
    StartJob(MakeDrop({folder["tree"]}));
    while (entries < target && foldersRead < 21) std::this_thread::yield();
    bool allRead = foldersRead == 21;
    CancelJob();
    cancelled = true;
    PumpJobReports();
    WaitForWorker();
    bool done = ControlText(Control::StatusLabel) == u"完了！";
    interrupted += !done;
    EXPECT_TRUE(done ? allRead && Lines(ClipboardText()).size() == 20021 : ClipboardText() == u"before"
                         && ControlText(Control::StatusLabel) == u"中断") << round;
    EXPECT_LE(takenAfterCancel, 1) << round;
  }
  g_fileSystem = real;
  EXPECT_GT(interrupted, 50);
}

// Every allocation of a job, the request's on this thread included, failing
// in turn: Failed, nothing left allocated, the clipboard as it was, the
// window usable, and the next job whole.
TEST_F(JobTest, EveryAllocationFailingInTurnFailsTheJobCleanly) {
  SetControlTextForTest(Control::FolderSuffixEdit, u"\\");
  uint64_t before = GetAllocationStats().allocations;
  int64_t live = GetAllocationStats().liveBlocks;
  EXPECT_EQ(RunDrop(), u"完了！");
  uint64_t needed = GetAllocationStats().allocations - before;
  EXPECT_GT(needed, 10u);
  for (uint64_t k = 1; k <= needed; ++k) {
    SetClipboardText(u"before");
    void* drop = MakeDrop({folder["w/docs"], folder["w/b.txt"]});
    ArmAllocationFailure(k);
    EXPECT_EQ(RunWindowJob(drop), u"失敗") << "allocation " << k;
    ArmAllocationFailure(0);
    EXPECT_TRUE(GetAllocationStats().liveBlocks == live && ClipboardText() == u"before") << "allocation " << k;
    EXPECT_TRUE(ControlEnabled(Control::FolderSuffixEdit) && WindowLog().back() == u"timer 1");
  }
  EXPECT_EQ(RunDrop(), u"完了！");
  EXPECT_EQ(ClipboardText(), u"b.txt\r\ndocs\\\r\ndocs\\a.md\r\ndocs\\img\\\r\ndocs\\img\\p.png");
}

}  // namespace
