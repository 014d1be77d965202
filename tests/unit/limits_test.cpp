// The listing at the limits of what the file system holds, made for real on
// disk and listed through the worker: a chain of folders as deep as the
// platform allows, names of every awkward kind, folders that vanish or fail
// while the scan runs, links that loop.

#include <fstream>
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

Strings Sorted(Strings lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(Limits, AChainOfFoldersAsDeepAsThePlatformAllows) {
  ScratchFolder folder;
  fs::path deepest = folder.native() / "chain";
  fs::create_directory(deepest);
  Strings absolute = {Utf8(folder["chain"])};
  std::error_code error;
  for (; fs::create_directory(deepest / "d", error); deepest /= "d") absolute.push_back(absolute.back() + "\\d");
  ASSERT_GT(absolute.size(), 1000u);  // Linux stops paths at 4,096 bytes
  // The deepest folders cannot be opened any more: their contents are not listed.
  auto readable = [](const std::string& path) {
    return g_fileSystem.enumerateFolder(FromUtf8(path.c_str()).c_str(), [](void*, const FolderEntry&) { return true; },
                                        nullptr) != FolderRead::Unreadable;
  };
  while (!readable(absolute[absolute.size() - 2])) absolute.pop_back();
  EXPECT_TRUE(ListThroughWorker({folder["chain"]}, PathForm::Absolute) == absolute);
  Strings tree = ListThroughWorker({folder["chain"]}, PathForm::Tree);
  ASSERT_EQ(tree.size(), absolute.size());
  std::string indent;
  for (size_t level = 1; level < tree.size(); indent += " \u3000", ++level) ASSERT_EQ(tree[level], indent + " ┗d");
}

// Names as the system reports them; a folder whose name is not UTF-8
// cannot be named back (no contents), and overlong forms are no characters:
// read as such, "a" C0 AF ".." would lead the scan back into its parent and
// C0 AE C0 AE would be skipped as "..".
TEST(Limits, NamesOfEveryKindAreListedAsTheSystemReportsThem) {
  ScratchFolder folder;
  folder.Make({"top/\U0001F600 \u3000ｶﾞｰ\x01\t\x7F/x", "top/\xFF\xFE folder/x", "top/a\xC0\xAF../x",
               "top/\xC0\xAE\xC0\xAE/x", "top/a/x", "top/" + std::string(255, 'n')});
  EXPECT_EQ(Sorted(ListThroughWorker({folder["top"]}, PathForm::Relative)),
            Sorted({"top", "top\\\U0001F600 \u3000ｶﾞｰ\x01\t\x7F", "top\\\U0001F600 \u3000ｶﾞｰ\x01\t\x7F\\x",
                    "top\\\uFFFD\uFFFD folder", "top\\a\uFFFD..", "top\\\uFFFD\uFFFD",
                    "top\\a", "top\\a\\x", "top\\" + std::string(255, 'n')}));
}

// A folder taken away, replaced by a file, refused, or failing after its
// entries when the scan reaches it: its line stays, what could not be read
// goes, and the job still ends Done.
TEST(Limits, FoldersThatVanishOrFailWhileTheScanRuns) {
  static fs::path gone;
  static int mode;
  static FileSystemApi real = g_fileSystem;
  ScratchFolder folder;
  gone = folder.native() / "top" / "gone";
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn onEntry, void* context) {
    if (std::u16string(path).find(u"\\gone") == std::u16string::npos) return real.enumerateFolder(path, onEntry, context);
    if (mode < 2) fs::remove_all(gone);
    if (mode == 1) std::ofstream(gone).put('x');
    if (mode == 2) return FolderRead::Unreadable;
    FolderRead read = real.enumerateFolder(path, onEntry, context);
    return mode == 3 ? FolderRead::Failed : read;
  };
  for (mode = 0; mode < 4; ++mode) {
    folder.Make({"top/a.txt", "top/gone/inner.txt", "top/z/"});
    Strings expected = {"top", "top\\a.txt", "top\\gone", "top\\z"};
    if (mode == 3) expected.insert(expected.begin() + 3, "top\\gone\\inner.txt");
    EXPECT_EQ(ListThroughWorker({folder["top"]}, PathForm::Relative), expected) << "mode " << mode;
    fs::remove_all(folder.native() / "top");
  }
  g_fileSystem = real;
}

// Links back to an ancestor, to themselves, to each other and to nothing:
// listed, never entered. A dropped link is read: the user chose it.
TEST(Limits, LinksThatLoopAreListedAndNeverEntered) {
  ScratchFolder folder;
  folder.Make({"top/deep/f.txt"});
  fs::path top = folder.native() / "top";
  for (auto [target, link] : {std::pair{top, top / "deep/back"}, {top / "self", top / "self"}, {top / "b", top / "a"},
                              {top / "a", top / "b"}, {top / "deep", top / "to-deep"}, {top / "no", top / "dangling"}}) {
    fs::create_directory_symlink(target, link);
  }
  EXPECT_EQ(ListThroughWorker({folder["top"]}, PathForm::NameOnly),
            (Strings{"top", "a", "b", "dangling", "self", "deep", "f.txt", "back", "to-deep"}));
  EXPECT_EQ(ListThroughWorker({folder["top/to-deep"]}, PathForm::NameOnly), (Strings{"to-deep", "f.txt", "back"}));
}

}  // namespace
