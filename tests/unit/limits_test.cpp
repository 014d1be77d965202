#include <future>
#include <thread>

#include "engine/folder_readers.h"
#include "tests/support/test_support.h"

namespace {

using enum PathForm;

// Runs f on a thread of its own; a hang guard, no timing: when f has not ended after minutes, the cancel ends it.
template <class F> auto Guarded(std::atomic<bool>* abort, F f) {
  auto done = std::async(std::launch::async, f);
  if (done.wait_for(std::chrono::minutes(5)) != std::future_status::ready) *abort = true;
  return done.get();
}

// The reader pool at its entry and request bounds: the readers stop mid-folder at the bound, not before; each folder
// is then taken whole, the wide one with as many subfolders read ahead as may wait; eight readers list one's text.
TEST(Limits, TheReaderPoolAtItsBounds) {
  constexpr int64_t kBound = 1 << 16, kFolders = 4, kEach = 20000, kWide = 4200, kMaxOutstanding = 4096;
  ScratchFolder folder;
  std::vector<std::string> entries;
  for (int i = 0; i < kWide; ++i) entries.push_back("t/wide/" + std::to_string(i) + "/f");
  for (int i = 0; i < kFolders * kEach; ++i) entries.push_back("t/p" + std::to_string(i % kFolders) + "/" + std::to_string(i));
  folder.Make(entries);
  std::atomic<bool> abort{false};
  bool failed = false;
  Owned<ReaderPool> pool = StartReaderPool(8, -1, &abort, &failed);
  ASSERT_TRUE(pool != nullptr);
  std::u16string top = folder["t"];
  FolderFilter filter{nullptr, {}, PathStyle::Windows};
  FolderContents t = ReadFolderContents(top.data(), filter, &abort, nullptr);
  ReadSubfoldersAhead(pool.get(), top.data(), top.size(), 0, kInputFolderPlace, filter, &t);
  ASSERT_EQ(t.ahead.size(), size_t{kFolders + 1});
  bool settled = false;
  for (int wait = 0; !settled && wait < 30000; ++wait) {  // a hang guard of minutes
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    g_thread.lock(pool->sync);
    int64_t held = pool->heldEntries;
    settled = pool->idleReaders == static_cast<int32_t>(pool->threads.size()) && held > kBound - 64;
    EXPECT_TRUE(held <= kBound && pool->outstanding <= kMaxOutstanding) << held;
    g_thread.unlock(pool->sync);
  }
  EXPECT_TRUE(settled);
  for (auto& subfolder : t.ahead) {
    FolderContents contents = Guarded(&abort, [&] { return TakeRead(pool.get(), subfolder.request); });
    bool wide = subfolder.entry->text == std::u16string(u"wide");
    EXPECT_TRUE(contents.count == (wide ? kWide : kEach) && contents.whole) << contents.count;
    EXPECT_TRUE(!wide || (contents.ahead.size() >= kMaxOutstanding - 5 && contents.ahead.size() < kWide));
  }
  EXPECT_FALSE(failed || abort);
  std::u16string texts[2];
  for (int32_t readers : {1, 8}) {
    ListingOptions options{Relative, u'\\', ItemFilter::FilesAndFolders, true, true};
    options.readers = readers;
    ListingRequest request = MakeRequest(options, {folder["t"]});
    ListingText out{};
    EXPECT_EQ(Guarded(&abort, [&] { return BuildListing(request, abort, &out); }), ListingOutcome::Done) << readers;
    texts[readers > 1].assign(out.units, u'\0');
    CopyListingText(out, texts[readers > 1].data());
    EXPECT_EQ(out.lines, 2 + kFolders + 2 * kWide + kFolders * kEach) << readers;
  }
  EXPECT_TRUE(texts[0] == texts[1]);
}

}  // namespace
