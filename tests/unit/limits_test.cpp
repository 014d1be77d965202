// The listing at the limits of what the file system holds, made for real on
// disk and listed through the worker: a chain of folders as deep as the
// platform allows, names of every awkward kind, folders that vanish or fail
// while the scan runs, links that loop, the longest command line.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "job/job_worker.h"
#include "platform/filesystem.h"
#include "platform/utf8.h"
#include "settings/listing_settings.h"
#include "tests/support/stand_ins.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

// A drop of the paths, listed by the window's job on its worker thread.
Strings ListThroughWorker(const std::vector<std::u16string>& paths, PathForm form) {
  ResetStandIns();
  ResetListingSettings();
  g_settings.pathForm = form;
  StartJob(MakeDrop(paths));
  PumpJobReports();
  WaitForWorker();
  EXPECT_EQ(ControlText(Control::StatusLabel), u"完了！");
  return Lines(ClipboardText());
}

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
  while (fs::create_directory(deepest / "d", error)) {
    deepest /= "d";
    absolute.push_back(absolute.back() + "\\d");
  }
  ASSERT_GT(absolute.size(), 1000u);  // Linux stops paths at 4,096 bytes
  // The deepest folders cannot be opened any more: their contents are not listed.
  while (g_fileSystem.enumerateFolder(FromUtf8(absolute[absolute.size() - 2].c_str()).c_str(),
                                      [](void*, const FolderEntry&) { return true; }, nullptr) == FolderRead::Unreadable) {
    absolute.pop_back();
  }
  EXPECT_TRUE(ListThroughWorker({folder["chain"]}, PathForm::Absolute) == absolute);
  Strings tree = ListThroughWorker({folder["chain"]}, PathForm::Tree);
  ASSERT_EQ(tree.size(), absolute.size());
  std::string indent;
  for (size_t level = 1; level < tree.size(); indent += " \u3000", ++level) {
    ASSERT_EQ(tree[level], indent + " ┗d") << level;
  }
}

TEST(Limits, NamesOfEveryKindAreListedAsTheSystemReportsThem) {
  ScratchFolder folder;
  const std::string names[] = {"\U0001F600\U00020BB7 pair", "\u3000名\u3000", "\u3000", "ＡＢ０１！", "ｶﾞｷﾞｰ",
                               "ctl \x01\x1F", "tab\tx", "del \x7F", std::string(255, 'n'),
                               std::string("\xFF\xFE folder/"), std::string("a\xC0\xAF../"), std::string("\xC0\xAE\xC0\xAE/"),
                               "a/", "\xC3 file"};
  Strings expected = {"top"};
  for (const std::string& name : names) {
    folder.Make({"top/" + name + (name.back() == '/' ? "inner.txt" : "")});
    std::string shown = Utf8(FromUtf8(name.c_str()));
    if (shown.back() == '/') shown.pop_back();
    expected.push_back("top\\" + shown);
    // A folder whose name is not UTF-8 cannot be named back: no contents.
    if (name.back() == '/' && Utf8(FromUtf8(name.c_str())) == name) expected.push_back("top\\" + shown + "\\inner.txt");
  }
  EXPECT_EQ(Sorted(ListThroughWorker({folder["top"]}, PathForm::Relative)), Sorted(expected));
}

// A folder taken away, or failing, when the scan reaches it: its line stays,
// what could not be read goes, and the job still ends Done.
TEST(Limits, FoldersThatVanishOrFailWhileTheScanRuns) {
  static const fs::path* target;
  static int mode;
  static FileSystemApi real;
  real = g_fileSystem;
  ScratchFolder folder;
  target = &folder.native();
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn onEntry, void* context) {
    if (std::u16string(path).find(u"\\gone") == std::u16string::npos) return real.enumerateFolder(path, onEntry, context);
    if (mode == 0) fs::remove_all(*target / "top" / "gone");
    if (mode == 1) fs::remove_all(*target / "top" / "gone"), std::ofstream(*target / "top" / "gone").put('x');
    if (mode == 2) return FolderRead::Unreadable;
    FolderRead read = real.enumerateFolder(path, onEntry, context);
    return mode == 3 ? FolderRead::Failed : read;  // an error after its entries
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

TEST(Limits, LinksThatLoopAreListedAndNeverEntered) {
  ScratchFolder folder;
  folder.Make({"top/deep/f.txt"});
  fs::path top = folder.native() / "top";
  fs::create_directory_symlink(top, top / "deep" / "back");
  fs::create_directory_symlink(top / "self", top / "self");
  fs::create_directory_symlink(top / "b", top / "a");
  fs::create_directory_symlink(top / "a", top / "b");
  fs::create_directory_symlink(top / "deep", top / "to-deep");
  fs::create_directory_symlink(top / "nowhere", top / "dangling");
  EXPECT_EQ(ListThroughWorker({folder["top"]}, PathForm::NameOnly),
            (Strings{"top", "a", "b", "dangling", "self", "deep", "f.txt", "back", "to-deep"}));
  // A dropped link is read: the user chose it.
  EXPECT_EQ(ListThroughWorker({folder["top/to-deep"]}, PathForm::NameOnly), (Strings{"to-deep", "f.txt", "back"}));
}

// 32,767 units with the terminator, filled with real paths, the last one
// (through "." folders) running to the end of the line.
TEST(Limits, ACommandLineOfTheLongestLength) {
  ScratchFolder folder;
  std::u16string line = u"\"C:\\dorrowin.exe\"";
  size_t count = 0;
  for (; line.size() < 32000; ++count) {
    std::string name = "file" + std::to_string(count) + ".txt";
    folder.Make({name});
    line += u" \"" + folder[name] + u"\"";
  }
  folder.Make({"last.txt"});
  std::u16string last = folder[""];
  while (line.size() + 1 + last.size() + 10 < 32766) last += u"\\.";
  line += u" " + last + (line.size() + 1 + last.size() + 10 == 32766 ? u"\\\\last.txt" : u"\\last.txt");
  ASSERT_EQ(line.size(), 32766u);
  ResetStandIns();
  ResetListingSettings();
  SetCommandLine(line);
  g_commandLineMode = true;
  StartJob(nullptr);
  PumpJobReports();
  WaitForWorker();
  g_commandLineMode = false;
  Strings lines = Lines(ClipboardText());
  ASSERT_EQ(lines.size(), count + 1);
  EXPECT_EQ(lines.front(), Utf8(last.substr(folder[""].size() + 1)) + "\\last.txt");  // "." sorts first
  EXPECT_EQ(lines[3], "file2.txt");
  EXPECT_EQ(lines.back(), "file" + std::to_string(count - 1) + ".txt");
}

}  // namespace
