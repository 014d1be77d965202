// Worked examples of the listing rules, each a whole job through
// BuildListing on real folders (or, for drives and servers no machine here
// has, a file system that says every path exists), and each also run with
// every one of its allocations failing in turn.

#include "tests/support/test_support.h"

namespace {

constexpr PathForm A = PathForm::Absolute, R = PathForm::Relative, N = PathForm::NameOnly, T = PathForm::Tree;
constexpr ItemFilter All = ItemFilter::FilesAndFolders, Files = ItemFilter::FilesOnly, Dirs = ItemFilter::FoldersOnly;

struct Row {
  ListingOptions options;
  std::vector<std::string> inputs;  // below the example folder; "/x" as given
  std::vector<std::string> expected;  // "{W}" stands for the example folder
  std::vector<std::u16string> affixes = {};
};

ListingOptions O(PathForm form, ItemFilter filter = All, bool scan = true, bool ext = true, char16_t sep = u'\\') {
  return ListingOptions{form, sep, filter, ext, scan};
}

const Row kRows[] = {
    {O(A), {"docs", "b.txt"}, {"{W}\\b.txt", "{W}\\docs", "{W}\\docs\\a.md", "{W}\\docs\\c.txt", "{W}\\docs\\img",
                               "{W}\\docs\\img\\p.png", "{W}\\docs\\old"}},
    {O(R), {"docs", "b.txt"}, {"b.txt", "docs", "docs\\a.md", "docs\\c.txt", "docs\\img", "docs\\img\\p.png", "docs\\old"}},
    {O(N), {"docs", "b.txt"}, {"b.txt", "docs", "a.md", "c.txt", "img", "p.png", "old"}},
    {O(R, Files), {"docs", "b.txt"}, {"b.txt", "docs\\a.md", "docs\\c.txt", "docs\\img\\p.png"}},
    {O(R, Dirs), {"docs", "b.txt"}, {"docs", "docs\\img", "docs\\old"}},
    {O(R, All, false), {"docs", "b.txt"}, {"b.txt", "docs"}},
    {O(R, All, true, false), {"docs", "b.txt"}, {"- b;", "[docs]", "- docs\\a;", "- docs\\c;", "[docs\\img]",
                                                 "- docs\\img\\p;", "[docs\\old]"}, {u"- ", u";", u"[", u"]"}},
    {O(A, Files, true, true, u'/'), {"docs/img"}, {"</>{W}/docs/img/p.png|"}, {u"<\\>", u"|", u"(", u")"}},
    {O(T), {"docs", "b.txt"}, {"b.txt", "docs", " ┣a.md", " ┣c.txt", " ┣img", " ┃ ┗p.png", " ┗old"}},
    {O(T, All, true, true, u'/'), {"docs/img"}, {"img", " ┗p.png"}},
    {O(T, Dirs), {"docs", "b.txt"}, {"docs", " ┣img", " ┗old"}},
    {O(T, All, true, false), {"src/main.c", "doc"}, {"src", " ┗main", "doc", " ┗r"}},
    {O(T), {"p/y.txt", "p/q/z.txt"}, {"q", " ┗z.txt", "y.txt"}},
    {O(T), {"b.txt", "b.txt"}, {"b.txt"}},
    {O(R), {"b.txt", "b.txt"}, {"b.txt", "b.txt"}},
    {O(T), {"docs", "docs/c.txt"}, {"c.txt"}},
    {O(T), {"docs/img", "docs"}, {"docs", " ┣a.md", " ┣c.txt", " ┣img", " ┃ ┗p.png", " ┗old", " ┗img", " 　 ┗p.png"}},
    {O(R), {"docs/img/p.png", "docs/a.md"}, {"a.md", "img\\p.png"}},
    {O(N), {"s"}, {"s", "File1.txt", "file2.txt", "file10.txt", "ふぁいる.txt", "ファイル.txt", "名前.txt", "a", "x", "B", "x"}},
    {O(N, All, true, false), {"dots"}, {"dots", ".config", ".profile", "a.b", "v1.2", "x"}},
    {O(R), {"missing", "b.txt"}, {"b.txt"}},
    {O(R), {"missing"}, {}},
    {O(R), {"/\\\\?\\{W}\\\\docs\\\\\\c.txt"}, {"c.txt"}},
    {O(R), {"docs/img/p.png", "/{W}\\docs\\img\\"}, {"img\\p.png", "img", "img\\p.png"}},
    {O(T, All, false), {"/\\\\alpha\\s\\f.txt", "/C:\\a.txt", "/D:\\b.txt"},
     {"C:\\", " ┗a.txt", "D:\\", " ┗b.txt", "alpha", " ┗s", " 　 ┗f.txt"}},
    {O(T, All, false), {"/\\\\alpha\\s\\f.txt", "/\\\\beta\\s\\g.txt"},
     {"alpha", " ┗s", " 　 ┗f.txt", "beta", " ┗s", " 　 ┗g.txt"}},
    {O(R, All, false), {"/\\\\?\\UNC\\alpha\\s\\f.txt", "/\\\\alpha\\s\\\\g.txt"}, {"f.txt", "g.txt"}},
};

// Paths that no machine here has: a name with a full stop is a file, any
// other a folder; no folder can be read.
uint32_t EveryPathExists(const char16_t* path) {
  std::u16string text(path);
  return text.find(u'.', text.rfind(u'\\') + 1) != std::u16string::npos ? 0x80u : kAttributeDirectory;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
  return text;
}

TEST(Listing, WorkedExamplesAndEveryAllocationFailing) {
  ScratchFolder folder;
  folder.Make({"Work/b.txt", "Work/docs/c.txt", "Work/docs/img/p.png", "Work/docs/a.md", "Work/docs/old/",
               "Work/src/main.c", "Work/src/other.c", "Work/doc/r.txt", "Work/p/q/z.txt", "Work/p/y.txt",
               "Work/s/file10.txt", "Work/s/file2.txt", "Work/s/File1.txt", "Work/s/ファイル.txt",
               "Work/s/ふぁいる.txt", "Work/s/名前.txt", "Work/s/a/x", "Work/s/B/x", "Work/dots/.profile",
               "Work/dots/.config.json", "Work/dots/a.b.c", "Work/dots/v1.2/x.txt"});
  std::string work = Utf8(folder["Work"]);
  FileSystemApi real = g_fileSystem;
  for (const Row& row : kRows) {
    std::vector<std::u16string> inputs;
    bool fake = false;
    for (const std::string& input : row.inputs) {
      fake = fake || (input[0] == '/' && input.find("{W}") == std::string::npos);
      inputs.push_back(input[0] == '/' ? FromUtf8(Replace(input.substr(1), "{W}", work).c_str())
                                       : folder["Work/" + input]);
    }
    if (fake) g_fileSystem = FileSystemApi{EveryPathExists, [](const char16_t*, FolderEntryFn, void*) { return FolderRead::Unreadable; }};
    std::vector<std::string> expected;
    for (const std::string& line : row.expected) expected.push_back(Replace(line, "{W}", row.options.separator == u'/' ? Replace(work, "\\", "/") : work));
    std::string what = "row " + std::to_string(&row - kRows);

    // The request is made first: the allocations counted are the listing's.
    auto run = [&](uint64_t failAt, std::u16string* text) {
      ListingRequest request = MakeRequest(row.options, inputs, row.affixes);
      uint64_t start = GetAllocationStats().allocations;
      ArmAllocationFailure(failAt);
      ListingOutcome outcome = ListToText(request, text);
      ArmAllocationFailure(0);
      return std::make_pair(outcome, GetAllocationStats().allocations - start);
    };
    std::u16string text;
    int64_t live = GetAllocationStats().liveBlocks;
    auto [outcome, needed] = run(0, &text);
    EXPECT_EQ(outcome, ListingOutcome::Done) << what;
    EXPECT_EQ(Lines(text), expected) << what;
    for (uint64_t k = 1; k <= needed; ++k) {
      EXPECT_EQ(run(k, &text).first, ListingOutcome::Failed) << what << ", allocation " << k;
      EXPECT_TRUE(text.empty()) << what << ", allocation " << k;
      EXPECT_EQ(GetAllocationStats().liveBlocks, live) << what << ", allocation " << k;
    }
    g_fileSystem = real;
  }
}

// A level of many siblings, each given twice, is merged as one of a few.
TEST(Listing, TreeOfManySiblings) {
  ScratchFolder folder;
  std::vector<std::u16string> inputs;
  std::vector<std::string> expected;
  for (int i = 1; i <= 300; ++i) {
    std::string name = "f" + std::to_string(i) + ".txt";
    folder.Make({"many/" + name});
    inputs.insert(inputs.end(), 2, folder["many/" + name]);
    expected.push_back(name);
  }
  folder.Make({"many/sub/x.txt"});
  inputs.push_back(folder["many/sub/x.txt"]);
  expected.insert(expected.end(), {"sub", " ┗x.txt"});
  std::u16string text;
  EXPECT_EQ(ListToText(MakeRequest(O(T), inputs), &text), ListingOutcome::Done);
  EXPECT_EQ(Lines(text), expected);
}

// A network folder is reached through a temporary drive letter, z: down to
// the first that connects; every connection made is cancelled again, also
// when the job fails.
TEST(Listing, NetworkItemsThroughATemporaryDriveLetter) {
  static std::u16string share;
  static std::vector<std::u16string> connected;  // "\\\\srv\\s" connected, "-y:" cancelled
  static FileSystemApi real = g_fileSystem;
  static NetworkApi network = g_network;
  ScratchFolder folder;
  folder.Make({"share/docs/a.md", "share/b.txt"});
  share = folder["share"];
  // y: is the first letter that connects; on it, paths below \\srv\s lead to the share.
  g_network = NetworkApi{[](const char16_t* remote, const char16_t* drive) {
                           return drive[0] == u'y' && (connected.push_back(remote), true);
                         },
                         [](const char16_t* drive) { connected.push_back(u"-" + std::u16string(drive)); }};
  static auto map = [](const char16_t* path) {
    std::u16string text(path);
    return text.rfind(u"y:", 0) == 0 ? share + connected.back().substr(7) + text.substr(2) : text;
  };
  g_fileSystem = FileSystemApi{[](const char16_t* path) { return real.queryAttributes(map(path).c_str()); },
                               [](const char16_t* path, FolderEntryFn onEntry, void* context) {
                                 return real.enumerateFolder(map(path).c_str(), onEntry, context);
                               }};
  std::u16string text;
  for (uint64_t k = 0; k <= 12; ++k) {  // every connection made is cancelled, also when the job fails
    connected.clear();
    ArmAllocationFailure(k);
    ListingOutcome outcome = ListToText(MakeRequest(O(R), {u"\\\\srv\\s\\docs", u"\\\\srv\\s\\b.txt"}), &text);
    ArmAllocationFailure(0);
    EXPECT_EQ(std::count(connected.begin(), connected.end(), u"-y:") * 2, static_cast<long>(connected.size())) << k;
    if (k > 0) continue;
    EXPECT_EQ(outcome, ListingOutcome::Done);
    EXPECT_EQ(Lines(text), (std::vector<std::string>{"b.txt", "docs", "docs\\a.md"}));
    EXPECT_EQ(connected, (std::vector<std::u16string>{u"\\\\srv\\s", u"-y:", u"\\\\srv\\s", u"-y:", u"\\\\srv\\s\\docs", u"-y:"}));
  }
  g_network = network;
  g_fileSystem = real;
}

}  // namespace
