// A hundred cancels at random moments of a scan of 20,021 entries on disk,
// from this thread while the worker runs on its own, the four path forms in
// turn: Interrupted with the clipboard kept, or Done with the whole text
// when the cancel came once the last folder had been read; after a cancel
// at most the entry in hand is taken. Races show under ThreadSanitizer.

#include <random>
#include <thread>

#include "tests/support/test_support.h"

namespace {

std::atomic<int> g_entries{0}, g_foldersRead{0}, g_takenAfterCancel{0};
std::atomic<bool> g_cancelled{false};
FileSystemApi g_real;
FolderEntryFn g_onEntry;  // the engine's, the same for every folder

FolderRead CountingEnumerate(const char16_t* path, FolderEntryFn onEntry, void* context) {
  g_onEntry = onEntry;
  FolderRead read = g_real.enumerateFolder(path, [](void* c, const FolderEntry& entry) {
    bool taken = (++g_entries, g_onEntry(c, entry));
    if (taken && g_cancelled) ++g_takenAfterCancel;
    return taken;
  }, context);
  return ++g_foldersRead, read;
}

TEST(CancelStress, AHundredCancelsAtRandomMoments) {
  ScratchFolder folder;
  std::vector<std::string> entries;
  for (int i = 0; i < 20000; ++i) entries.push_back("tree/d" + std::to_string(i / 1000) + "/f" + std::to_string(i) + ".txt");
  folder.Make(entries);
  g_real = g_fileSystem;
  g_fileSystem.enumerateFolder = CountingEnumerate;
  std::mt19937 random(5);
  int interrupted = 0;
  for (int round = 0; round < 100; ++round) {
    ResetStandIns();
    ResetListingSettings();
    g_settings.pathForm = static_cast<PathForm>(1 + round % 4);
    SetClipboardText(u"before");
    g_entries = g_foldersRead = g_takenAfterCancel = 0;
    g_cancelled = false;
    int target = static_cast<int>(random() % 22000);
    StartJob(MakeDrop({folder["tree"]}));
    while (g_entries < target && g_foldersRead < 21) std::this_thread::yield();
    int foldersAtCancel = g_foldersRead;
    CancelJob();
    g_cancelled = true;
    PumpJobReports();
    WaitForWorker();
    bool done = ControlText(Control::StatusLabel) == u"完了！";
    interrupted += !done;
    EXPECT_EQ(done ? u"完了！" : u"中断", ControlText(Control::StatusLabel)) << round;
    EXPECT_TRUE(done ? Lines(ClipboardText()).size() == 20021 : ClipboardText() == u"before") << round;
    EXPECT_TRUE(!done || foldersAtCancel == 21) << round;
    EXPECT_LE(g_takenAfterCancel, 1) << round;
  }
  g_fileSystem = g_real;
  EXPECT_GT(interrupted, 50);
}

}  // namespace
