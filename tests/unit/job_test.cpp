// Whole jobs as the window runs them: StartJob on this thread, the worker on its own, its reports pumped here.
#include <random>
#include <thread>

#include "tests/support/test_support.h"

namespace {

using Log = std::vector<std::u16string>;
const std::u16string kLock[]{u"10001", u"10023", u"10002", u"10008", u"10009", u"10006", u"10007", u"10019", u"10020"};

class JobTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetStandIns(), SetClipboardText(u"before");
    folder.Make({"w/b.txt", "w/docs/a.md", "w/docs/img/p.png"});
  }
  void TearDown() override { EXPECT_TRUE(LiveDrops() == 0 && g_app.status == StatusState::Idle); }
  std::u16string RunDrop() { return RunWindowJob(MakeDrop({folder["w/docs"], folder["w/b.txt"]})); }
  ScratchFolder folder;
};

// "=T": the status blanked, then T; "lock" and "unlock": the nine job-locked controls in their order.
Log Expand(const Log& events) {
  Log out;
  for (const std::u16string& e : events) {
    bool lock = e == u"lock", unlock = e == u"unlock";
    for (int i = 0; i < 9 && (lock || unlock); ++i) out.push_back(u"enable " + kLock[i] + (lock ? u" 0" : u" 1"));
    if (e[0] == u'=') out.push_back(u"text 10003 " + std::u16string(23, u'\u3000'));
    if (!lock && !unlock) out.push_back(e[0] == u'=' ? u"text 10003 " + e.substr(1) : e);
  }
  return out;
}

// A drop: every window call in order (locks, the status of each phase), the list on the clipboard, then idle; then
// each allocation failing in turn: Failed, nothing leaked, the clipboard kept, the window usable.
TEST_F(JobTest, ADropIsListedWithTheStatusOfEachPhaseOrFailsCleanly) {
  g_app.settings.compactLayout = false;
  SetControlTextForTest(Control::FolderSuffixEdit, u"\\");
  AllocationStats start = GetAllocationStats();
  EXPECT_EQ(RunDrop(), u"リスト作成完了！貼り付けられます");
  uint64_t needed = GetAllocationStats().allocations - start.allocations;
  EXPECT_EQ(WindowLog(), Expand({u"drops 0", u"timer 0", u"lock", u"=リスト作成中...", u"enable 10013 1",
                                 u"=クリップボードにコピー中...", u"enable 10013 0",
                                 u"=リスト作成完了！貼り付けられます", u"unlock", u"drops 1", u"timer 1"}));
  EXPECT_EQ(ClipboardText(), u"b.txt\r\ndocs\\\r\ndocs\\a.md\r\ndocs\\img\\\r\ndocs\\img\\p.png");
  ClearWindowLog(), OnStatusTimer(&g_app);
  EXPECT_EQ(WindowLog(), Expand({u"=ファイル・フォルダをドロップして下さい", u"timer 0"}));
  EXPECT_GT(needed, 10u);
  for (uint64_t k = 1; k <= needed; ++k) {
    SetClipboardText(u"before");
    void* drop = MakeDrop({folder["w/docs"], folder["w/b.txt"]});
    Failing(k, [&] { EXPECT_EQ(RunWindowJob(drop), u"失敗しました") << "allocation " << k; });
    EXPECT_TRUE(GetAllocationStats().liveBlocks == start.liveBlocks && ClipboardText() == u"before") << k;
    EXPECT_TRUE(ControlEnabled(Control::FolderSuffixEdit) && WindowLog().back() == u"timer 1");
  }
}

// Pasting with no files, or while a job runs, does nothing (a drop then is released); a held clipboard fails at once.
// (Pasted files run their drop's job: the end-to-end test, on the real clipboard.)
TEST_F(JobTest, PastingWithoutFilesOrWhileAJobRunsDoesNothing) {
  auto paste = [] { return ClearWindowLog(), PasteFiles(&g_app), PumpJobReports(), WaitForJob(&g_app.job), WindowLog(); };
  EXPECT_EQ(paste(), Log{});
  SetClipboardFiles({folder["w/docs"]}), StartJob(&g_app, MakeDrop({folder["w/b.txt"]}));
  ClearWindowLog(), PasteFiles(&g_app);
  EXPECT_EQ(WindowLog(), Log{});
  StartJob(&g_app, MakeDrop({folder["w/docs"]}));
  EXPECT_EQ(WindowLog(), Log{u"drops 0"});
  PumpJobReports();
  EXPECT_EQ(ClipboardText(), u"b.txt");
  SetClipboardFiles({folder["w/docs"]}), SetClipboardBusy(true);
  EXPECT_EQ(paste(), Expand({u"timer 0", u"=失敗", u"unlock", u"drops 1", u"timer 1"}));
  SetClipboardBusy(false);
}

// Cancels at random moments of a 20,221-entry scan read ahead: Interrupted with the clipboard kept, or Done and whole
// once every folder was read; at most the entry in hand is taken (races: TSan).
TEST_F(JobTest, CancelsAtRandomMomentsOfALargeScan) {
  static std::atomic<int> entries, foldersRead, takenAfterCancel, cancelled;
  static FileSystemApi real = g_fileSystem;
  static std::atomic<FolderEntryFn> onEntry;  // the engine's, the same for every folder (and reader)
  for (int i = 0; i < 20000; ++i)
    folder.Make({"tree/d" + std::to_string(i / 1000) + "/e" + std::to_string(i / 100 % 10) + "/" + std::to_string(i) + ".txt"});
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn engine, void* context) {
    onEntry = engine;
    FolderRead read = real.enumerateFolder(path, [](void* c, const FolderEntry& entry) {
      static thread_local int mine = 0;  // each reading thread may take the entry it has in hand
      bool taken = (++entries, onEntry.load()(c, entry));
      return takenAfterCancel += taken && cancelled && ++mine > 1, taken;
    }, context);
    return ++foldersRead, read;
  };
  std::mt19937 random(5);
  for (int round = 0; round < 100; ++round) {
    g_app.settings.pathForm = static_cast<PathForm>(1 + round % 4);
    SetClipboardText(u"before");
    entries = foldersRead = takenAfterCancel = cancelled = 0;
    int target = static_cast<int>(random() % 22000);
    StartJob(&g_app, MakeDrop({folder["tree"]}));
    while (entries < target && foldersRead < 221) std::this_thread::yield();
    bool allRead = foldersRead == 221;
    CancelWindowJob(&g_app), cancelled = 1;
    PumpJobReports(), WaitForJob(&g_app.job);
    bool done = ControlText(Control::StatusLabel) == u"完了！";
    EXPECT_TRUE(done ? allRead && Lines(ClipboardText()).size() == 20221 : ClipboardText() == u"before"
                         && ControlText(Control::StatusLabel) == u"中断") << round;
    EXPECT_EQ(takenAfterCancel, 0) << round;
  }
  g_fileSystem = real;
}

}  // namespace
