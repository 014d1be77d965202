// The listing at the limits of what the file system holds, each made for
// real on disk and listed through the worker: a chain of folders as deep as
// the platform allows, names of every awkward kind, folders that vanish or
// become unreadable while the scan runs, and a command line of the longest
// length a process can be given.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/filesystem.h"
#include "platform/job_input.h"
#include "platform/memory.h"
#include "platform/utf8.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::u16string>;

// Natively, one-unit names make the chain as deep in levels as the path
// limit allows (about 2,000). Under Wine every open of a folder costs time
// in proportion to its depth, so there names of 100 units reach the same
// length limit in about 40 levels.
#ifdef _WIN32
constexpr size_t kChainNameLength = 100;
#else
constexpr size_t kChainNameLength = 1;
#endif

// No platform here allows a path this long; the chain must stop before.
constexpr size_t kLengthCap = 40000;

// A name as the platform's own file calls take it: UTF-16 where wchar_t is
// 16 bits (Windows), otherwise UTF-8 as the POSIX layer converts it.
fs::path NativeName(const std::u16string& name) {
  if constexpr (sizeof(wchar_t) == 2) {
    return fs::path(std::wstring(name.begin(), name.end()));
  } else {
    return fs::path(ToUtf8(name.c_str()));
  }
}

// A name as the platform reports it, independently of the program.
std::u16string ReportedName(const fs::path& path) {
  if constexpr (sizeof(wchar_t) == 2) {
    std::wstring text = path.filename().wstring();
    return std::u16string(text.begin(), text.end());
  } else {
    return FromUtf8(path.filename().string().c_str());
  }
}

bool HasLoneSurrogate(const std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    bool high = text[i] >= 0xD800 && text[i] < 0xDC00;
    bool low = text[i] >= 0xDC00 && text[i] < 0xE000;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      ++i;
    } else if (high || low) {
      return true;
    }
  }
  return false;
}

bool Readable(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  return !error;
}

Lines SplitLines(const std::u16string& clipboard) {
  Lines lines;
  if (clipboard.size() <= 1) return lines;
  std::u16string text = clipboard.substr(0, clipboard.size() - 1);
  size_t start = 0;
  for (;;) {
    size_t end = text.find(u"\r\n", start);
    lines.push_back(text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
    if (end == std::u16string::npos) return lines;
    start = end + 2;
  }
}

class LimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedWindow_ = g_window;
    savedFileSystem_ = g_fileSystem;
    savedJobInput_ = g_jobInput;
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.commandLineMode = false;
    liveBlocks_ = GetAllocationStats().liveBlocks;
  }
  void TearDown() override {
    WaitForWorker();
    EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks_) << "the job left storage allocated";
    g_window = savedWindow_;
    g_fileSystem = savedFileSystem_;
    g_jobInput = savedJobInput_;
    g_job.commandLineMode = false;
    ResetListingSettings();
    RestoreWindowProbe();
  }

  // A job through the worker, as a drop starts it; its lines from the
  // clipboard. The job must end Done.
  Lines ListThroughWorker(const std::vector<std::u16string>& paths) {
    ResetWindowProbe();
    WriteClipboardForTest(u"before");
    StartJob(MakeDrop(paths));
    WaitForWorker();
    EXPECT_EQ(ControlTextNow(Control::StatusLabel), StatusText(StatusState::Done, g_settings.compactLayout.load()));
    EXPECT_FALSE(g_job.abortFlag.load() || g_job.failureFlag.load());
    return SplitLines(ReadClipboardForTest());
  }

  TempFolder folder;

 private:
  WindowApi savedWindow_;
  FileSystemApi savedFileSystem_;
  JobInputApi savedJobInput_;
  int64_t liveBlocks_ = 0;
};

TEST_F(LimitsTest, AChainOfFoldersAsDeepAsThePlatformAllows) {
  // Grow the chain one level at a time until the platform refuses the next.
  ScratchFolder scratch;
  std::u16string name(kChainNameLength, u'd');
  fs::path top = scratch.native() / "chain";
  fs::create_directory(top);
  std::u16string topPath = scratch.path() + u"\\chain";
  std::vector<fs::path> levels;
  Lines paths;  // each level's path in the program's form
  fs::path deepest = top;
  std::u16string deepestPath = topPath;
  for (;;) {
    std::error_code error;
    fs::path next = deepest / NativeName(name);
    if (deepestPath.size() > kLengthCap || !fs::create_directory(next, error)) break;
    deepest = next;
    deepestPath += u"\\" + name;
    levels.push_back(next);
    paths.push_back(deepestPath);
  }
  ASSERT_GT(levels.size(), 10u);
  ASSERT_EQ(EnginePath(deepest), deepestPath);
  ASSERT_LT(deepestPath.size(), kLengthCap) << "the platform set no limit below " << kLengthCap;
  ASSERT_GT(deepestPath.size(), 3000u);

  // A level is listed when its parent can be read: every level, or those
  // down to the first that cannot be read (found by halving: a folder below
  // an unreadable one is unreadable too). Read as the platform layer reads
  // a folder for the scan; under Windows through \\?\ past 240 units,
  // which the standard library's folder walk does not do.
  auto readableLevel = [&](size_t level) {
    return g_fileSystem.enumerateFolder(paths[level].c_str(), [](void*, const FolderEntry&) { return true; }, nullptr);
  };
  size_t readable = 0;  // levels[0 .. readable - 1] can be read
  if (readableLevel(levels.size() - 1)) {
    readable = levels.size();
  } else {
    size_t low = 0, high = levels.size() - 1;  // levels[high] cannot be read
    while (low < high) {
      size_t middle = (low + high) / 2;
      if (readableLevel(middle)) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    readable = high;
  }
  Lines expected{topPath};
  for (size_t i = 0; i < levels.size() && i <= readable; ++i) expected.push_back(paths[i]);
  std::cout << "[ limits   ] a chain of " << levels.size() << " folders, the deepest path " << deepestPath.size()
            << " units; " << readable << " of them readable\n";
  RecordProperty("chain levels", static_cast<int>(levels.size()));
  RecordProperty("deepest path units", static_cast<int>(deepestPath.size()));

  g_settings.pathForm = PathForm::Absolute;
  EXPECT_TRUE(ListThroughWorker({topPath}) == expected) << "the absolute listing of the chain";

  // The tree's indent grows one cell per level, as deep as the chain goes.
  g_settings.pathForm = PathForm::Tree;
  Lines tree = ListThroughWorker({topPath});
  ASSERT_EQ(tree.size(), expected.size());
  EXPECT_EQ(tree[0], u"chain");
  std::u16string indent;
  for (size_t level = 1; level < tree.size(); ++level) {
    if (tree[level] != indent + u" \u2517" + name) {
      ADD_FAILURE() << "tree line " << level << " is " << Utf8(tree[level].substr(0, 40)) << "...";
      break;
    }
    indent += u" \u3000";
  }

  // Removed from the deepest up: each path is within the limit, where a
  // walk of the whole chain would not be everywhere.
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
    std::error_code error;
    fs::remove(*it, error);
  }
}

TEST_F(LimitsTest, NamesOfEveryKindAreListedAsTheSystemReportsThem) {
  struct Name {
    const char* what;
    std::u16string text;
  };
  const Name names[] = {
      {"surrogate pairs", u"\U0001F600\U00020BB7 pair"},
      {"a lone high surrogate", u"lone \xD800 high"},
      {"a lone low surrogate", u"lone \xDC00 low"},
      {"a reversed pair", u"rev \xDC00\xD800"},
      {"ideographic spaces", u"\u3000\u540D\u3000"},
      {"an ideographic space alone", u"\u3000"},
      {"full-width forms", u"\uFF21\uFF22\uFF10\uFF11\uFF01"},
      {"half-width katakana", u"\uFF76\uFF9E\uFF77\uFF9E\uFF70"},
      {"control characters", u"ctl \x01\x1F"},
      {"a tab", u"tab\tx"},
      {"DEL", u"del \x7F"},
      {"255 ASCII units", std::u16string(255, u'n')},
      {"255 units of kana", std::u16string(255, u'\u3042')},
  };
  fs::path parent = folder.native() / "names";
  fs::create_directory(parent);
  std::u16string parentPath = EnginePath(parent);
  int accepted = 0;
  for (const Name& name : names) {
    std::error_code error;
    fs::path made = parent / NativeName(name.text);
    if (!fs::create_directory(made, error)) {
      // Windows refuses control characters and lone surrogates in names.
      std::cout << "[ limits   ] the file system refused a name with " << name.what << ": " << error.message() << "\n";
      continue;
    }
    std::ofstream(made / "inner.txt") << "x";
    ++accepted;
  }
  ASSERT_GE(accepted, 7);

  // What the platform stored, read back without the program.
  Lines expected{u"names"};
  for (const fs::directory_entry& entry : fs::directory_iterator(parent)) {
    std::u16string stored = ReportedName(entry.path());
    // A lone surrogate never reaches a name: the POSIX layer makes it
    // U+FFFD on the way to UTF-8, and Windows refuses it.
    EXPECT_FALSE(HasLoneSurrogate(stored)) << Utf8(stored);
    expected.push_back(u"names\\" + stored);
    expected.push_back(u"names\\" + stored + u"\\inner.txt");
  }
  ASSERT_EQ(expected.size(), 1u + 2u * accepted);

  g_settings.pathForm = PathForm::Relative;
  Lines lines = ListThroughWorker({parentPath});
  ASSERT_EQ(lines.size(), expected.size()) << Utf8(lines.empty() ? u"" : lines.back());
  EXPECT_EQ(lines[0], u"names");
  Lines sortedLines = lines;
  Lines sortedExpected = expected;
  std::sort(sortedLines.begin(), sortedLines.end());
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_TRUE(sortedLines == sortedExpected) << "every name and its folder's contents";
  // Each folder's contents follow its own line.
  for (size_t i = 1; i + 1 < lines.size(); i += 2) EXPECT_EQ(lines[i + 1], lines[i] + u"\\inner.txt");
  RecordProperty("names accepted", accepted);
}

#ifndef _WIN32
// Natively a name is bytes. Bytes that are not UTF-8 (which no Windows name
// can be) reach the program as U+FFFD: such a file is listed under that
// name, but a folder so named cannot be named back to the system, so its
// contents are not listed. The job still ends Done with every other entry.
TEST_F(LimitsTest, NamesThatAreNotUnicodeAreListedWithoutStoppingTheJob) {
  fs::path parent = folder.native() / "bytes";
  fs::create_directory(parent);
  fs::create_directory(parent / std::string("\xFF\xFE folder"));
  std::ofstream(parent / std::string("\xFF\xFE folder") / "hidden.txt") << "x";
  std::ofstream(parent / std::string("\xC3 file")) << "x";
  std::ofstream(parent / "plain.txt") << "x";
  g_settings.pathForm = PathForm::Relative;
  Lines lines = ListThroughWorker({EnginePath(parent)});
  EXPECT_EQ(lines, (Lines{u"bytes", u"bytes\\\uFFFD file", u"bytes\\plain.txt", u"bytes\\\uFFFD\uFFFD folder"}));
}

// Overlong UTF-8 forms are not characters: read as such, the bytes C0 AF
// would put a '/' into a name, and a folder "a<C0 AF>.." beside a folder
// "a" would lead the scan back into its parent again and again.
TEST_F(LimitsTest, NamesInOverlongUtf8DoNotLeadTheScanOutOfItsFolder) {
  fs::path parent = folder.native() / "top";
  fs::create_directories(parent / "a");
  fs::create_directory(parent / std::string("a\xC0\xAF.."));
  fs::create_directory(parent / std::string("\xC0\xAE\xC0\xAE"));  // ".." in overlong form
  std::ofstream(parent / "f.txt") << "x";
  g_settings.pathForm = PathForm::Relative;
  Lines lines = ListThroughWorker({EnginePath(parent)});
  Lines sorted = lines;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (Lines{u"top", u"top\\a", u"top\\a\uFFFD..", u"top\\f.txt", u"top\\\uFFFD\uFFFD"}))
      << lines.size() << " lines";
}
#endif

// Which folder to take away, and at which moment: when the scan begins to
// read the folder named `trigger`.
struct Disturbance {
  std::u16string trigger;
  fs::path target;
  enum Kind { Remove, ReplaceByFile, TakeAwayPermission, RemoveWhileRead } kind;
  std::atomic<bool> done{false};
  std::atomic<bool> emulated{false};  // the folder stayed readable; refused by the seam
  std::u16string targetPath;
};
Disturbance* s_disturbance = nullptr;
bool (*s_realEnumerate)(const char16_t*, FolderEntryFn, void*) = nullptr;

void Disturb(Disturbance& d) {
  std::error_code error;
  switch (d.kind) {
    case Disturbance::Remove:
    case Disturbance::RemoveWhileRead:
      fs::remove_all(d.target, error);
      break;
    case Disturbance::ReplaceByFile:
      fs::remove_all(d.target, error);
      std::ofstream(d.target) << "now a file";
      break;
    case Disturbance::TakeAwayPermission:
      fs::permissions(d.target, fs::perms::none, error);
      // Root, and Windows without access rules, read it all the same: the
      // unreadable folder is then the seam's doing.
      if (Readable(d.target)) d.emulated.store(true);
      break;
  }
  d.done.store(true);
}

struct Forward {
  FolderEntryFn onEntry;
  void* context;
};

// Takes the folder away after its first entry has been handed on.
bool RemoveAfterFirst(void* context, const FolderEntry& entry) {
  Forward* forward = static_cast<Forward*>(context);
  bool more = forward->onEntry(forward->context, entry);
  if (!s_disturbance->done.load() && entry.name[0] != u'.') Disturb(*s_disturbance);
  return more;
}

bool DisturbingEnumerate(const char16_t* folderPath, FolderEntryFn onEntry, void* context) {
  Disturbance& d = *s_disturbance;
  std::u16string path = folderPath;
  bool isTrigger = path.size() >= d.trigger.size() && path.compare(path.size() - d.trigger.size(), d.trigger.size(), d.trigger) == 0;
  if (isTrigger && !d.done.load()) {
    if (d.kind == Disturbance::RemoveWhileRead) {
      Forward forward{onEntry, context};
      return s_realEnumerate(folderPath, RemoveAfterFirst, &forward);
    }
    Disturb(d);
  }
  if (d.emulated.load() && path == d.targetPath) return false;
  return s_realEnumerate(folderPath, onEntry, context);
}

class VanishingFolderTest : public LimitsTest {
 protected:
  void SetUp() override {
    LimitsTest::SetUp();
    for (const char16_t* file : {u"top/a/a1.txt", u"top/a/a2.txt", u"top/b/b1.txt", u"top/b/b2.txt",
                                 u"top/b/sub/b3.txt", u"top/c/c1.txt"}) {
      folder.AddFile(file);
    }
    s_realEnumerate = g_fileSystem.enumerateFolder;
    g_fileSystem.enumerateFolder = DisturbingEnumerate;
    g_settings.pathForm = PathForm::Relative;
  }
  void TearDown() override {
    std::error_code error;
    fs::permissions(folder.native() / "top" / "b", fs::perms::owner_all, fs::perm_options::add, error);
    s_disturbance = nullptr;
    LimitsTest::TearDown();
  }
  Lines ListWith(Disturbance& d) {
    d.targetPath = EnginePath(d.target);
    s_disturbance = &d;
    Lines lines = ListThroughWorker({folder.path() + u"\\top"});
    EXPECT_TRUE(d.done.load()) << "the disturbance never came";
    return lines;
  }
  // b was read from its parent before it went: its line stays, its
  // contents are gone, and the scan goes on with c.
  const Lines withoutB{u"top", u"top\\a", u"top\\a\\a1.txt", u"top\\a\\a2.txt", u"top\\b", u"top\\c",
                       u"top\\c\\c1.txt"};
};

TEST_F(VanishingFolderTest, AFolderRemovedBeforeItsTurnGivesOnlyItsLine) {
  Disturbance d{u"\\top\\a", folder.native() / "top" / "b", Disturbance::Remove};
  EXPECT_EQ(ListWith(d), withoutB);
}

TEST_F(VanishingFolderTest, AFolderReplacedByAFileGivesOnlyItsLine) {
  Disturbance d{u"\\top\\a", folder.native() / "top" / "b", Disturbance::ReplaceByFile};
  EXPECT_EQ(ListWith(d), withoutB);
}

TEST_F(VanishingFolderTest, AFolderThatBecomesUnreadableGivesOnlyItsLine) {
  Disturbance d{u"\\top\\a", folder.native() / "top" / "b", Disturbance::TakeAwayPermission};
  EXPECT_EQ(ListWith(d), withoutB);
  std::cout << "[ limits   ] an unreadable folder: "
            << (d.emulated.load() ? "permissions do not stop this process (root, or no access rules); the "
                                    "folder's enumeration was refused through the file-system seam"
                                  : "made unreadable for real")
            << "\n";
  RecordProperty("unreadable folder", d.emulated.load() ? "emulated" : "real");
}

TEST_F(VanishingFolderTest, AFolderRemovedWhileItIsReadEndsItsListingCleanly) {
  Disturbance d{u"\\top\\b", folder.native() / "top" / "b", Disturbance::RemoveWhileRead};
  Lines lines = ListWith(d);
  // What the system still handed over of b is listed; nothing below it.
  Lines expectedPossible = withoutB;
  for (const char16_t* line : {u"top\\b\\b1.txt", u"top\\b\\b2.txt", u"top\\b\\sub"}) expectedPossible.push_back(line);
  for (const std::u16string& line : lines) {
    EXPECT_NE(std::find(expectedPossible.begin(), expectedPossible.end(), line), expectedPossible.end()) << Utf8(line);
  }
  for (const std::u16string& line : withoutB) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << "missing " << Utf8(line);
  }
  EXPECT_EQ(std::find(lines.begin(), lines.end(), u"top\\b\\sub\\b3.txt"), lines.end());
}

// Links that loop: back to the dropped folder from deep inside it, to
// themselves, to each other, and to nothing. Each is listed where it lies;
// none is entered, so the scan ends.
TEST_F(LimitsTest, LinksThatLoopAreListedAndTheScanEnds) {
  fs::path top = folder.native() / "top";
  fs::create_directories(top / "x" / "y");
  std::ofstream(top / "x" / "y" / "f.txt") << "x";
  std::error_code error;
  fs::create_directory_symlink(top, top / "x" / "y" / "up", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  fs::create_directory_symlink(top / "x", top / "x" / "again", error);
  fs::create_symlink(top / "self", top / "self", error);
  fs::create_symlink(top / "b", top / "a", error);
  fs::create_symlink(top / "a", top / "b", error);
  fs::create_symlink(top / "nowhere", top / "broken", error);
  g_settings.pathForm = PathForm::Relative;
  // Links that lead to no folder are files to the scan; links to folders are
  // folders, listed and not entered.
  EXPECT_EQ(ListThroughWorker({EnginePath(top)}),
            (Lines{u"top", u"top\\a", u"top\\b", u"top\\broken", u"top\\self", u"top\\x", u"top\\x\\again",
                   u"top\\x\\y", u"top\\x\\y\\f.txt", u"top\\x\\y\\up"}));
}

// The longest command line a process can have: 32,767 units with its
// terminator. It is filled with real paths, the last running to its end.
TEST_F(LimitsTest, ACommandLineOfTheLongestLength) {
  std::u16string a = folder.AddFile(u"a.txt");
  std::u16string b = folder.AddFile(u"folder with spaces/b.txt");
  std::u16string spaced = folder.path() + u"\\folder with spaces";
  static std::u16string line;
  line = u"\"C:\\Program Files\\Dorrowin\\dorrowin.exe\"";
  size_t tokens = 0;
  const size_t kLongest = 32766;
  while (line.size() + 3 + spaced.size() + 3 + a.size() + 8 < kLongest) {
    line += tokens % 2 == 0 ? u" \"" + spaced + u"\"" : u" " + a;
    ++tokens;
  }
  // The last token runs to the end in an open quote: a name in the folder
  // that fills the line and names no file.
  line += u" \"" + folder.path() + u"\\";
  ++tokens;
  ASSERT_LT(line.size(), kLongest);
  line += std::u16string(kLongest - line.size(), u'x');
  ASSERT_EQ(line.size(), kLongest);
  g_jobInput.commandLine = [] { return line.c_str(); };
  g_job.commandLineMode = true;
  g_settings.pathForm = PathForm::Absolute;
  g_settings.folderScan = false;
  ResetWindowProbe();
  WriteClipboardForTest(u"before");
  StartJob(nullptr);
  WaitForWorker();
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), StatusText(StatusState::Done, g_settings.compactLayout.load()));
  EXPECT_EQ(TakeCloseRequests(), 1);
  Lines lines = SplitLines(ReadClipboardForTest());
  // The last token names no file and is left out.
  size_t files = (tokens - 1) / 2;
  size_t folders = (tokens - 1) - files;
  ASSERT_EQ(lines.size(), files + folders);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), a), static_cast<long>(files));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), spaced), static_cast<long>(folders));
  EXPECT_EQ(lines.front(), a) << "files come first";
  std::cout << "[ limits   ] a command line of " << line.size() << " units: " << lines.size() << " lines\n";
}

}  // namespace
