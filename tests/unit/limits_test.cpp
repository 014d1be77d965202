#include <pthread.h>

#include <future>
#include <thread>

#include "engine/folder_readers.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using enum PathForm;

// Runs f to its end on a thread whose stack is 128 KiB: a scan that recursed per folder level would overflow it.
template <class F> void OnSmallStack(F f) {
  pthread_attr_t attributes;
  pthread_t thread;
  pthread_attr_init(&attributes), pthread_attr_setstacksize(&attributes, 128 << 10);
  auto run = [](void* body) -> void* { return (*static_cast<F*>(body))(), nullptr; };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &f), 0);
  pthread_join(thread, nullptr), pthread_attr_destroy(&attributes);
}

// A chain of folders as deep as the platform allows, made on disk and listed on a small stack with one reader and
// eight: every level made is listed, the deepest (a path as long as the system takes) included.
TEST(Limits, AChainOfFoldersAsDeepAsThePlatformAllows) {
  ScratchFolder folder;
  fs::path deepest = folder.native() / "chain";
  fs::create_directory(deepest);
  Strings absolute = {Utf8(folder["chain"])};
  std::error_code error;
  for (; fs::create_directory(deepest / "d", error); deepest /= "d") absolute.push_back(absolute.back() + "\\d");
  ASSERT_GT(absolute.size(), 1000u);  // Linux stops paths at 4,096 bytes
  Strings tree = {"chain"};
  for (std::string indent; tree.size() < absolute.size(); indent += " \u3000") tree.push_back(indent + " ┗d");
  for (auto [form, readers] : {std::pair{Absolute, 1}, {Tree, 8}}) {
    ListingOptions options{form, u'\\', ItemFilter::FilesAndFolders, true, true};
    options.readers = readers;
    std::u16string text;
    OnSmallStack([&] { EXPECT_EQ(ListToText(MakeRequest(options, {folder["chain"]}), &text), ListingOutcome::Done); });
    EXPECT_TRUE(Lines(text) == (form == Absolute ? absolute : tree)) << Lines(text).size();
  }
}

// Runs f on a thread of its own; a hang guard, no timing: when f has not ended after minutes, the cancel ends it.
template <class F> auto Guarded(std::atomic<bool>* abort, F f) {
  auto done = std::async(std::launch::async, f);
  if (done.wait_for(std::chrono::minutes(5)) != std::future_status::ready) *abort = true;
  return done.get();
}

// The reader pool at its bounds, on real folders: a folder with more subfolders than may wait to be read ahead, and
// more entries in all than the readers may hold. Given nothing back, the readers stop in the middle of folders at the
// bound, not before; each folder is then taken whole, those they stopped in included, the wide one with as many of its
// subfolders read ahead as may wait; and eight readers list the text of one.
TEST(Limits, TheReaderPoolAtItsBounds) {
  constexpr int64_t kBound = 1 << 16, kFolders = 4, kEach = 20000, kWide = 4200, kMaxOutstanding = 4096;
  ScratchFolder folder;
  Strings entries;
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

// A folder that vanishes when the scan reaches it, and one that fails after its entries (a read error, told apart
// from its end): their lines stay, the job ends Done.
TEST(Limits, FoldersThatVanishOrFailWhileTheScanRuns) {
  static FileSystemApi real = g_fileSystem;
  static ScratchFolder folder;
  folder.Make({"top/a/x.txt", "top/b/y.txt"});
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn onEntry, void* context) {
    if (std::u16string(path).back() == u'a') fs::remove_all(folder.native() / "top/a");
    FolderRead read = real.enumerateFolder(path, onEntry, context);
    return std::u16string(path).back() == u'b' ? FolderRead::Failed : read;
  };
  EXPECT_EQ(ListThroughWorker({folder["top"]}, Relative), (Strings{"top", "top\\a", "top\\b", "top\\b\\y.txt"}));
  // The listing tells its sink of both, and of an input path that is not there, with the system's reason.
  folder.Make({"top/a/x.txt"});
  ListingRequest request = MakeRequest({Relative, u'\\', ItemFilter::FilesAndFolders, true, true}, {folder["top"], folder["no"]});
  Strings problems;
  ListingSink sink{&problems, [](void*, const char16_t*, size_t) { return true; }, [](void* to, const ListingProblem& p) {
                     static_cast<Strings*>(to)->push_back((p.kind == ListingProblemKind::UnreadableItem ? "item " : "folder ") +
                                                          Utf8(p.path) + (p.error == ENOENT ? " ENOENT" : ""));
                   }};
  EXPECT_EQ(StreamListing(request, std::atomic<bool>{false}, sink), ListingOutcome::Done);
  EXPECT_EQ(problems, (Strings{"item " + Utf8(folder["no"]) + " ENOENT", "folder " + Utf8(folder["top/a"]) + " ENOENT",
                               "folder " + Utf8(folder["top/b"])}));
  folder.Make({"top/a/x.txt"});
  ListingText text{};
  EXPECT_EQ(BuildListing(request, std::atomic<bool>{false}, &text), ListingOutcome::Done);
  EXPECT_EQ(text.folderReadErrors, 2u);
  g_fileSystem = real;
}

// Links back to an ancestor, to themselves, to each other and to nothing: listed, never entered. A dropped link is
// read: the user chose it.
TEST(Limits, LinksThatLoopAreListedAndNeverEntered) {
  ScratchFolder folder;
  folder.Make({"top/deep/f.txt"});
  fs::path top = folder.native() / "top";
  for (auto [target, link] : {std::pair{top, top / "deep/back"}, {top / "self", top / "self"}, {top / "b", top / "a"},
                              {top / "a", top / "b"}, {top / "deep", top / "to-deep"}, {top / "no", top / "dangling"}})
    fs::create_directory_symlink(target, link);
  EXPECT_EQ(ListThroughWorker({folder["top"]}, NameOnly),
            (Strings{"top", "a", "b", "dangling", "self", "deep", "f.txt", "back", "to-deep"}));
  EXPECT_EQ(ListThroughWorker({folder["top/to-deep"]}, NameOnly), (Strings{"to-deep", "f.txt", "back"}));
}

}  // namespace
