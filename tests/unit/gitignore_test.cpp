// --gitignore against the real git: the listing leaves out what `git ls-files -co --exclude-standard` leaves out.
#include <fstream>

#include "engine/listing_request.h"
#include "tests/support/test_support.h"

namespace {

// Windows with the \\?\ prefix of long paths: a "." or ".." component names nothing.
bool DotComponent(const char16_t* path) {
  std::u16string text = std::u16string(path) + u"\\";
  return text.find(u"\\.\\") != std::u16string::npos || text.find(u"\\..\\") != std::u16string::npos;
}
const FileSystemApi kLongPaths{
    [](auto path) { return DotComponent(path) ? kInvalidAttributes : kDriveZ.queryAttributes(path); },
    [](auto path, auto onEntry, auto context) {
      return DotComponent(path) ? FolderRead::Failed : kDriveZ.enumerateFolder(path, onEntry, context);
    },
    [] { return kDriveZ.lastError(); },
    [](auto path, bool noFollow, char** bytes, size_t* size) {
      return DotComponent(path) ? FileLoad::Unreadable : kDriveZ.readFile(path, noFollow, bytes, size);
    }};

struct GitRow {
  const char* what;
  // Files below the scratch folder ("r" the repository, HOME and XDG the user's folders; "-> T": a link to T).
  std::vector<std::pair<std::string, std::string>> files;
  std::string setup = "";  // shell commands run in the scratch folder
  std::string input = "r";
  bool windows = false;  // the listing of Z:\ paths, on a file system that resolves no ".."
};

const char kWorktree[] = "git -C r add c && git -C r -c user.name=t -c user.email=t@t commit -qm c && "
                         "git -C r worktree add -q ../w && touch w/a.tmp w/b && echo 'gitdir: ../r/.git/worktrees/w' >w/.git";

const std::vector<std::string> kFiles = {"home/", "xdg/git/", "r/a.o", "r/keep.o", "r/b.c", "r/doc/x.html",
    "r/doc/sub/y.html", "r/src/a.o", "r/src/lib/b.o", "r/src/build/x", "r/build/out", "r/logs/build", "r/logs/1.log",
    "r/tr", "r/tr ", "r/sp  ", "r/#h", "r/!b", "r/sub/deep/q.o", "r/sub/z.txt", "r/foo/bar/baz", "r/foo/x", "r/a\\b",
    "r/ab", "r/ABC", "r/\x8e\x91/x", "r/\x8e\x92"};

const GitRow kGitRows[] = {
    {"a byte order mark; negation, the last match winning", {{"r/.gitignore", "\xEF\xBB\xBF*.o\n!keep.o\n"}}},
    {"anchored by a leading and by an inner '/'", {{"r/.gitignore", "/a.o\nsrc/lib/\n"}}},
    {"'*' stops at '/'", {{"r/.gitignore", "doc/*.html\n"}}},
    {"folders only, at any depth", {{"r/.gitignore", "build/\n"}}},
    {"'**/' at the start", {{"r/.gitignore", "**/lib\n**/y.html\n"}}},
    {"'/**/' in the middle (also for no folder)", {{"r/.gitignore", "doc/**/y.html\nsrc/**/x\n"}}},
    {"'/**' at the end", {{"r/.gitignore", "foo/**\n!foo/x\n"}}},
    {"no re-inclusion under an excluded folder", {{"r/.gitignore", "src/\n!src/a.o\n!src/lib/\n"}}},
    {"escapes, a comment", {{"r/.gitignore", "\\#h\n\\!b\na\\\\b\n# c\n"}}},
    {"trailing spaces dropped unless escaped", {{"r/.gitignore", "tr  \nsp\\ \\ \n"}}},
    {"sets", {{"r/.gitignore", "[a-b]?\n[!a]*.c\n[[:upper:]]*\n"}}},
    {"names and patterns that are not UTF-8", {{"r/.gitignore", "\x8e\x91\n*\x92\n"}}},
    {"info/exclude, under .gitignore", {{"r/.git/info/exclude", "*.html\n"}, {"r/doc/.gitignore", "!x.html"}}},
    {"the user's excludes file, under info/", {{"XDG/git/ignore", "*.c\nbuild\n"}, {"r/.git/info/exclude", "!b.c"}}},
    {"core.excludesFile in HOME", {{"HOME/.gitconfig", "[core]\n\texcludesFile = ~/global\n"}, {"HOME/global", "*.log\n"}}},
    {"a link to a folder is no folder to git", {{"r/d/f", ""}, {"r/l", "-> d"}, {"r/.gitignore", "l/\n"}}},
    {"a nested repository is not looked into", {{"r/n/f", ""}, {"r/n/.gitignore", "x\n"}}, "git init -q r/n"},
    {"a subfolder as the input", {{"r/s/a.o", ""}, {"r/s/k.o", ""}, {"r/s/t/b", ""}, {"r/.gitignore", "s/*.o\n/s/t/\n"},
      {"r/s/.gitignore", "!k.o\n"}}, "", "r/s"},
    {"a worktree's info/exclude through gitdir: and commondir with '..', on Windows paths",
     {{"r/c", ""}, {"r/.git/info/exclude", "*.tmp\n"}}, kWorktree, "w", true},
    {"core.excludesFile in XDG's config", {{"r/a.log", ""}, {"r/b", ""}, {"XDG/git/config", "[core]\nexcludesFile = ~/e\n"},
      {"HOME/e", "*.log\n"}}},
    {"the user's file through a link", {{"r/a.c", ""}, {"r/b", ""}, {"XDG/git/real", "*.c\n"}, {"XDG/git/ignore", "-> real"}}},
    {"the last config file wins", {{"r/a.c", ""}, {"r/b.o", ""}, {"XDG/git/config", "[core]\nexcludesFile = ~/c\n"},
      {"HOME/.gitconfig", "[core]\n\texcludesfile = ~/o\n"}, {"HOME/c", "*.c\n"}, {"HOME/o", "*.o\n"}}},
    {"quotes, escapes and a section in other letters",
     {{"r/a.c", ""}, {"r/b.o", ""}, {"HOME/.gitconfig", "[CoRe]\n  ExcludesFile = \"~/my \\\"x\\\"\" ; c\n"},
      {"HOME/my \"x\"", "*.o\n"}}},
    {"classes and set edges", {{"r/a", ""}, {"r/-", ""}, {"r/:", ""}, {"r/z", ""}, {"r/0", ""}, {"r/B", ""}, {"r/c.x", ""},
      {"r/.gitignore", "[a-]\n[:]\n[[:lower:]]\n[[:digit:]]\n[[:alnum:]].x\n"}}},
};

TEST(GitIgnore, LeavesOutWhatGitLeavesOut) {
  const std::string home = getenv("HOME");
  for (const GitRow& row : kGitRows) {
    ScratchFolder w;
    w.Make(kFiles);
    const std::string root = w.native().string(), input = root + "/" + row.input;
    setenv("HOME", (root + "/home").c_str(), 1), setenv("XDG_CONFIG_HOME", (root + "/xdg").c_str(), 1);
    ASSERT_EQ(ShellOutput("cd " + root + " && git init -q r 2>&1"), "");
    for (const auto& [file, text] : row.files) {
      std::string at = root + "/" + (file.starts_with("HOME/") ? "home" + file.substr(4)
                                     : file.starts_with("XDG/") ? "xdg" + file.substr(3) : file);
      std::filesystem::create_directories(std::filesystem::path(at).parent_path());
      if (text.starts_with("-> ")) std::filesystem::create_symlink(text.substr(3), at);
      else std::ofstream(at) << text;
    }
    ASSERT_EQ(row.setup.empty() ? "" : ShellOutput("cd " + root + " && (" + row.setup + ") 2>&1"), "") << row.what;
    auto expected = Records(ShellOutput("git -C " + input + " ls-files -co --exclude-standard -z"), '\0', input + "/");
    std::erase_if(expected, [](const std::string& file) { return file.ends_with("/"); });  // a nested repository
    ListingOptions options{PathForm::Absolute, u'/', ItemFilter::FilesAndFolders, true, true};
    options.pathStyle = row.windows ? PathStyle::Windows : PathStyle::Posix;
    options.gitIgnore = true;
    std::u16string text;
    FileSystemApi before = g_fileSystem;
    if (row.windows) g_fileSystem = kLongPaths;
    std::filesystem::path path = std::filesystem::u8path(input);
    ListingOutcome outcome =
        ListToText(MakeRequest(options, {row.windows ? EnginePath(path) : path.u16string()}), &text);
    g_fileSystem = before;
    std::multiset<std::string> listed;
    for (const std::string& line : Lines(text)) {  // git lists no folders, but links to them
      std::string native = row.windows ? line.substr(2) : line;
      if (!std::filesystem::is_directory(std::filesystem::symlink_status(native))) listed.insert(native);
    }
    EXPECT_EQ(outcome, ListingOutcome::Done) << row.what;
    EXPECT_EQ(listed, expected) << row.what;
  }
  setenv("HOME", home.c_str(), 1), unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
