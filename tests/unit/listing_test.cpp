#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "tests/support/test_support.h"

namespace {

constexpr PathForm A = PathForm::Absolute, R = PathForm::Relative, N = PathForm::NameOnly, T = PathForm::Tree;
constexpr ItemFilter All = ItemFilter::FilesAndFolders, Files = ItemFilter::FilesOnly, Dirs = ItemFilter::FoldersOnly;

struct Row {
  ListingOptions options;
  std::vector<std::string> inputs, expected;  // inputs below the example folder, "/x" as given; "{W}": that folder
  std::vector<std::u16string> affixes = {}, excludes = {};
};

ListingOptions O(PathForm form, ItemFilter filter = All, bool scan = true, bool ext = true, char16_t sep = u'\\') {
  return ListingOptions{form, sep, filter, ext, scan};
}
ListingOptions Deep(ListingOptions options, int32_t depth, bool git) { return options.maxDepth = depth, options.gitIgnore = git, options; }

const std::vector<std::string> kDocsB = {"docs", "b.txt"};
const Row kRows[] = {
    {O(A), kDocsB, {"{W}\\b.txt", "{W}\\docs", "{W}\\docs\\a.md", "{W}\\docs\\c.txt", "{W}\\docs\\img",
                    "{W}\\docs\\img\\p.png", "{W}\\docs\\old"}},
    {O(R), kDocsB, {"b.txt", "docs", "docs\\a.md", "docs\\c.txt", "docs\\img", "docs\\img\\p.png", "docs\\old"}},
    {O(N), kDocsB, {"b.txt", "docs", "a.md", "c.txt", "img", "p.png", "old"}},
    {O(R, Files), kDocsB, {"b.txt", "docs\\a.md", "docs\\c.txt", "docs\\img\\p.png"}},
    {O(R, Dirs), kDocsB, {"docs", "docs\\img", "docs\\old"}}, {O(R, All, false), kDocsB, {"b.txt", "docs"}},
    {O(R, All, true, false), kDocsB, {"- b;", "[docs]", "- docs\\a;", "- docs\\c;", "[docs\\img]", "- docs\\img\\p;",
                                      "[docs\\old]"}, {u"- ", u";", u"[", u"]"}},
    {O(A, Files, true, true, u'/'), {"docs/img"}, {"</>{W}/docs/img/p.png|"}, {u"<\\>", u"|", u"(", u")"}},
    {O(T), kDocsB, {"b.txt", "docs", " ┣a.md", " ┣c.txt", " ┣img", " ┃ ┗p.png", " ┗old"}},
    {O(T, All, true, true, u'/'), {"docs/img"}, {"img", " ┗p.png"}}, {O(T, Dirs), kDocsB, {"docs", " ┣img", " ┗old"}},
    {O(T, All, true, false), {"src/main.c", "doc"}, {"src", " ┗main", "doc", " ┗r"}},
    {O(T), {"p/y.txt", "p/q/z.txt"}, {"q", " ┗z.txt", "y.txt"}}, {O(T), {"b.txt", "b.txt"}, {"b.txt"}},
    {O(R), {"b.txt", "b.txt"}, {"b.txt", "b.txt"}},
    {O(T), {"docs", "docs/c.txt"}, {"docs", " ┣a.md", " ┣c.txt", " ┣img", " ┃ ┗p.png", " ┗old", " ┗c.txt"}},
    {O(T), {"docs/img", "docs"}, {"docs", " ┣a.md", " ┣c.txt", " ┣img", " ┃ ┗p.png", " ┗old", " ┗img", " 　 ┗p.png"}},
    {O(R), {"docs/img/p.png", "docs/a.md"}, {"a.md", "img\\p.png"}}, {O(R), {"missing", "b.txt"}, {"b.txt"}},
    {O(N), {"s"}, {"s", "File1.txt", "file2.txt", "file10.txt", "ふぁいる.txt", "ファイル.txt", "名前.txt",
                   "a", "x", "B", "x"}},
    {O(N, All, true, false), {"dots"}, {"dots", ".config", ".profile", "a.b", "v1.2", "README", "x"}},
    {O(R, All, true, false), {"dots/v1.2"}, {"v1.2", "v1.2\\README", "v1.2\\x"}}, {O(R), {"missing"}, {}},
    {O(A, Files, true, false), {"dots/v1.2"}, {"{W}\\dots\\v1.2\\README", "{W}\\dots\\v1.2\\x"}},
    {O(R), {"/\\\\?\\{W}\\\\docs\\\\\\c.txt"}, {"c.txt"}},
    {O(R), {"docs/img/p.png", "/{W}\\docs\\img\\"}, {"img\\p.png", "img", "img\\p.png"}},
    {O(T, All, false), {"/\\\\alpha\\s\\f.txt", "/C:\\a.txt", "/D:\\b.txt"},
     {"C:\\", " ┗a.txt", "D:\\", " ┗b.txt", "alpha", " ┗s", " 　 ┗f.txt"}},
    {O(A), {"/C:\\\\", "/C:\\\\dir"}, {"C:\\", "C:\\f.txt", "C:\\dir", "C:\\dir\\f.txt"}},
    {O(R), {"/C:\\"}, {"C:\\", "C:\\f.txt"}},
    {O(N), {"/C:\\"}, {"C:\\", "f.txt"}},
    {O(T), {"/C:\\"}, {"C:\\", " ┗f.txt"}},
    {{A, u'/', All, true, true, PathStyle::Posix}, {"//{W}/docs/img"}, {"{W}/docs/img", "{W}/docs/img/p.png"}},
    {O(T, All, false), {"/\\\\alpha\\s\\f.txt", "/\\\\beta\\s\\g.txt"},
     {"alpha", " ┗s", " 　 ┗f.txt", "beta", " ┗s", " 　 ┗g.txt"}},
    {O(R, All, false), {"/\\\\?\\UNC\\alpha\\s\\f.txt", "/\\\\alpha\\s\\\\g.txt"}, {"f.txt", "g.txt"}},
    {Deep(O(A), 1, false), kDocsB, {"{W}\\b.txt", "{W}\\docs", "{W}\\docs\\c.txt", "{W}\\docs\\img"}, {}, {u"*.MD", u"o?d"}},
    {Deep(O(R), -1, true), {"g"}, {"g", "g\\.gitignore", "g\\keep.o", "g\\x.md", "g\\sub", "g\\sub\\.gitignore", "g\\sub\\y.o", "g\\sub\\z.txt"}},
    {Deep(O(R), 1, true), {"g/sub", "g/build"}, {"build", "sub", "sub\\.gitignore", "sub\\y.o", "sub\\z.txt"}},
    {O(N), {"ln"}, {"ln", "p.png"}},  // a dropped link to a folder is read: the user chose it
};

// Drives and servers no machine here has: a name with a full stop is a file, any other a folder holding f.txt.
const FileSystemApi kEveryPathExists = {
    [](const char16_t* path) {
      std::u16string text(path);
      return text.find(u'.', text.rfind(u'\\') + 1) != std::u16string::npos ? 0x80u : kAttributeDirectory;
    },
    [](auto, auto onEntry, auto context) { onEntry(context, {u"f.txt", false, false}); return FolderRead::Complete; },
    [] { return int32_t{2}; }};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
  return text;
}

// Worked examples of the listing rules on real folders, each run again with each allocation failing in turn.
TEST(Listing, WorkedExamplesAndEveryAllocationFailing) {
  ScratchFolder folder;
  folder.Make({"b.txt", "docs/c.txt", "docs/img/p.png", "docs/a.md", "docs/old/", "src/main.c", "src/other.c",
               "doc/r.txt", "p/q/z.txt", "p/y.txt", "s/file10.txt", "s/file2.txt", "s/File1.txt", "s/ファイル.txt",
               "s/ふぁいる.txt", "s/名前.txt", "s/a/x", "s/B/x", "dots/.profile", "dots/.config.json", "dots/a.b.c",
               "dots/v1.2/x.txt", "dots/v1.2/README", "g/a.o", "g/n.tmp", "g/u.c", "g/build/x", "g/sub/deep/w.txt", "g/x.md",
               "gd/wt/", "gd/info/", "cfg/git/"});
  for (auto [file, text] : {std::pair{"g/.git", "gitdir: ../gd/wt\n"}, {"gd/wt/commondir", ".."}, {"gd/info/exclude", "*.tmp"},
                            {"cfg/git/ignore", "*.C"}, {"g/.gitignore", "*.o\n!keep.o\nbuild/"}, {"g/sub/.gitignore", "!y.o\ndeep/\r\n"},
                            {"g/keep.o", ""}, {"g/sub/y.o", ""}, {"g/sub/z.txt", ""}})
    std::ofstream(folder.native() / file) << text;
  std::filesystem::create_directory_symlink(folder.native() / "docs/img", folder.native() / "ln");
  std::string home = getenv("HOME");  // the user's files: none in HOME, the excludes file in XDG_CONFIG_HOME
  setenv("HOME", folder.native().c_str(), 1), setenv("XDG_CONFIG_HOME", (folder.native() / "cfg").c_str(), 1);
  for (const Row& row : kRows) {
    std::string work = Utf8(EnginePath(folder.native()));
    if (row.options.pathStyle == PathStyle::Posix) work = folder.native().string();  // "{W}" natively
    SCOPED_TRACE("row " + std::to_string(&row - kRows));
    std::vector<std::u16string> inputs;
    for (const std::string& in : row.inputs) {
      if (in[0] == '/' && in.find("{W}") == std::string::npos) g_fileSystem = kEveryPathExists;
      inputs.push_back(in[0] == '/' ? FromUtf8(Replace(in.substr(1), "{W}", work).c_str()) : folder[in]);
    }
    std::string shown = row.options.separator == u'/' ? Replace(work, "\\", "/") : work;  // as "{W}" in the rows
    std::u16string text;
    auto run = [&](uint64_t failAt) {  // the request is made first: the allocations counted are the listing's
      ListingRequest request = MakeRequest(row.options, inputs, row.affixes);
      for (const std::u16string& glob : row.excludes) AddRequestExclude(&request, glob.data(), glob.size());
      uint64_t start = GetAllocationStats().allocations;
      ListingOutcome outcome{};
      Failing(failAt, [&] { outcome = ListToText(request, &text); });
      return std::make_pair(outcome, GetAllocationStats().allocations - start);
    };
    int64_t live = GetAllocationStats().liveBlocks;
    auto [outcome, needed] = run(0);
    EXPECT_EQ(outcome, ListingOutcome::Done);
    EXPECT_EQ(Lines(FromUtf8(Replace(Utf8(text), shown, "{W}").c_str())), row.expected);
    for (uint64_t k = 1; k <= needed; ++k) {
      EXPECT_EQ(run(k).first, ListingOutcome::Failed) << "allocation " << k;
      EXPECT_TRUE(text.empty()) << "allocation " << k;
      EXPECT_EQ(GetAllocationStats().liveBlocks, live) << "allocation " << k;
    }
    g_fileSystem = kDriveZ;
  }
  setenv("HOME", home.c_str(), 1), unsetenv("XDG_CONFIG_HOME");
}

// Reading ahead changes nothing: a random tree (ties, deep and wide, empty folders, links, a folder vanishing) lists
// alike with any number of readers, in every form, filter and option; reads ahead only once reads are slow.
TEST(Listing, EightReadersGiveTheTextOfOne) {
  ScratchFolder folder;
  std::mt19937 random(11);
  const std::vector<std::string> names = {"a1", "a01", "A1", "a1.txt", "A01.TXT", "b2", "b10", "ファイル", "ふぁいる", "z"};
  std::vector<std::string> entries = {"t/empty/", "u/f.txt", "t/deep/f"};
  for (int i = 0; i < 150; ++i) entries.push_back("t/wide/" + std::to_string(i) + "/f"), entries[2].insert(7, "d/");
  std::function<void(const std::string&, int)> grow = [&](const std::string& at, int depth) {
    std::vector<std::string> pick = names;
    std::shuffle(pick.begin(), pick.end(), random);
    entries.push_back(at);
    for (size_t i = 0, n = random() % 7; i < n; ++i) {
      if (depth < 7 && random() % 3 != 0) grow(at + pick[i] + "/", depth + 1);
      else entries.push_back(at + pick[i]);
    }
  };
  grow("t/", 0), grow("u/", 0);
  folder.Make(entries);
  int every = 0;  // t a working tree, with a .gitignore in every third folder
  for (auto& at : std::filesystem::recursive_directory_iterator(folder.native() / "t"))
    if (at.is_directory() && every++ % 3 == 0) std::ofstream(at.path() / ".gitignore") << (every % 2 ? "a1*\n!A1\nb?/" : "/z\n*1.txt");
  folder.Make({"t/.git/"});
  std::filesystem::create_directory_symlink(folder.native() / "t", folder.native() / "t/wide/0/up");
  std::filesystem::create_directory_symlink(folder.native() / "nowhere", folder.native() / "t/wide/1/a1");
  static std::filesystem::path gone;
  static std::atomic<int> readByOthers;
  static std::thread::id listing;
  gone = folder.native() / "t/gone", listing = std::this_thread::get_id();
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn onEntry, void* context) {
    if (std::u16string(path).ends_with(u"gone")) std::filesystem::remove_all(gone);
    readByOthers += std::this_thread::get_id() != listing;
    return kDriveZ.enumerateFolder(path, onEntry, context);
  };
  const std::vector<std::u16string> affixes = {u"<", u">", u"[", u"]"};
  for (PathForm form : {A, R, N, T}) {
    for (ItemFilter filter : {All, Files, Dirs}) {
      for (bool plain : {true, false}) {
        std::u16string texts[7];
        // 1 reader, 8, 8 where no thread starts, the engine's choice on slow and on fast reads, 2 and 64.
        for (int run : {0, 1, 2, 3, 4, 5, 6}) {
          folder.Make({"t/gone/x"});
          ListingOptions options = Deep(O(form, filter, true, plain), plain ? -1 : 6, !plain);  // affixes with the filters
          options.readers = run == 0 ? 1 : run < 3 ? 8 : run < 5 ? 0 : run == 5 ? 2 : 64, readByOthers = 0;
          ThreadApi threads = g_thread;
          if (run == 2) g_thread.startThread = [](auto...) -> ThreadHandle { return nullptr; };
          if (run == 4) g_thread.microseconds = [] { return int64_t{0}; };
          ListingRequest request = MakeRequest(options, {folder["t"], folder["u"]}, plain ? std::vector<std::u16string>{} : affixes);
          if (!plain) AddRequestExclude(&request, u"b1*", 3);
          EXPECT_EQ(ListToText(request, &texts[run]), ListingOutcome::Done);
          g_thread = threads;
          EXPECT_EQ(readByOthers > 0, run == 1 || run == 3 || run > 4) << run;
          EXPECT_EQ(texts[0], texts[run]) << run << static_cast<int>(form) << static_cast<int>(filter) << plain;
        }
        EXPECT_GT(texts[0].size(), 1000u);
      }
    }
  }
  g_fileSystem = kDriveZ;
}

// The readers read the whole tree ahead: while the first subfolder's read waits, one below the second is read.
TEST(Listing, ReadersReadTheWholeTreeAhead) {
  ScratchFolder folder;
  folder.Make({"t/a/f", "t/b/c/f"});
  static std::u16string first, below;
  static std::atomic<bool> belowRead;
  first = folder["t/a"], below = folder["t/b/c"], belowRead = false;
  g_fileSystem.enumerateFolder = [](const char16_t* path, FolderEntryFn onEntry, void* context) {
    belowRead = belowRead || path == below;
    for (int wait = 0; path == first && !belowRead && wait < 30000; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return kDriveZ.enumerateFolder(path, onEntry, context);
  };
  ListingOptions options = O(R);
  std::u16string text;
  EXPECT_EQ(ListToText(MakeRequest((options.readers = 8, options), {folder["t"]}), &text), ListingOutcome::Done);
  g_fileSystem = kDriveZ;
  EXPECT_TRUE(belowRead);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"t", "t\\a", "t\\a\\f", "t\\b", "t\\b\\c", "t\\b\\c\\f"}));
}

}  // namespace
