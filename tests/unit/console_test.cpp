// dorrowin-list as users run it (built with the sanitizers) on real folders: output, messages, exit status.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <thread>

#include "tests/support/test_support.h"
#include "ui/console/console_options.h"
#include "ui/console/console_tool.h"

namespace {

struct ToolRun {
  int status;  // exit status, or 128 + the signal that ended it
  std::string out, err;
  bool exited;  // by itself, not by a signal
};

// Runs the tool in folder; onOutput sees the output so far (false: stop reading); inChild runs before the tool.
ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& folder,
                const std::function<bool(pid_t, const std::string&)>& onOutput = nullptr,
                const std::function<void()>& inChild = nullptr, const std::string& tool = DORROWIN_LIST) {
  int out[2];
  FILE* err = std::tmpfile();  // a file: standard error cannot fill up while the output is read
  EXPECT_TRUE(pipe(out) == 0 && err != nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(fileno(err), 2);
    for (int fd : out) close(fd);
    if (inChild) inChild();
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execv(tool.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  ToolRun run{};
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    run.out.append(buffer, static_cast<size_t>(n));
    if (onOutput && !onOutput(pid, run.out)) break;
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.exited = WIFEXITED(status);
  std::rewind(err);
  for (int c; (c = std::fgetc(err)) != EOF;) run.err += static_cast<char>(c);
  std::fclose(err);
  return run;
}

// The tool's entry in this process, in folder, allocation failAt failing (0: none); its output and errors in files.
ToolRun RunEntry(const std::vector<std::u16string>& args, const std::filesystem::path& folder, uint64_t failAt) {
  std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  std::fflush(nullptr);
  int saved[2] = {dup(1), dup(2)};
  for (int fd : {1, 2}) dup2(open(std::to_string(fd).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), fd);
  std::vector<const char16_t*> argv;
  for (const std::u16string& arg : args) argv.push_back(arg.c_str());
  int status = 0;
  Failing(failAt, [&] { status = RunConsoleTool(static_cast<int32_t>(argv.size()), argv.data()); });
  for (int fd : {1, 2}) dup2(saved[fd - 1], fd), close(saved[fd - 1]);
  std::filesystem::current_path(cwd);
  std::ifstream out(folder / "1"), err(folder / "2");
  return {status, std::string(std::istreambuf_iterator<char>(out), {}), std::string(std::istreambuf_iterator<char>(err), {}),
          true};
}

// Each row: the arguments, the lines written (NUL-ended with --null), the exit status and what standard error says.
TEST(ConsoleTool, OptionsListLikeTheWindowAndUsageErrorsListNothing) {
  ScratchFolder w;
  w.Make({"top/b.TXT", "top/a10.txt", "top/A2.txt", "top/ガ/か.c", "top/ガ/カ10.c", "top/ガ/か9.c", "top/back\\slash",
          "top/-dash.txt", "top/.hidden", "other/x.md", "-n.txt", "u/𠮷野家.txt", "u/😀/x", "n/a", "n/b/c", "n/line\nbreak",
          "g/.git/", "g/a", "g/z1", "g/zd/x"});
  std::ofstream(w.native() / "g/.gitignore") << "z*\n";
  const std::string root = w.native().string(), bad = root + "/globs";
  const std::string depth = "' for --max-depth (a number of levels, 0 or more)";
  std::ofstream(bad) << "*.o\nx[\n";
  std::ofstream(root + "/good") << "# a comment\r\n\nガ\r\n";  // an empty line, CR LF
  const std::string rootBackslashed = std::regex_replace(root, std::regex("/"), "\\");
  auto usage = [](const std::string& message) {
    return "dorrowin-list: " + message + "\nTry 'dorrowin-list --help' for more information.\n";
  };
  struct Case {
    std::vector<std::string> args, lines;
    char end = '\n';
    int status = 0;
    std::string err = "";
  } cases[] = {
      {{"top"}, {"top", "top/-dash.txt", "top/.hidden", "top/A2.txt", "top/a10.txt", "top/b.TXT", "top/back\\slash",
                 "top/ガ", "top/ガ/か.c", "top/ガ/か9.c", "top/ガ/カ10.c"}},
      {{"-f", "absolute", "-n", "-s", "backslash", "top/./ガ/../b.TXT", root + "//other/"},
       {rootBackslashed + "\\top\\b.TXT", rootBackslashed + "\\other"}},
      {{"--form=name", "-xi", "files", "top/ガ", "--", "-n.txt"}, {"-n", "か", "か9", "カ10"}},
      {{"-ftree", "--items=files", "top/ガ", "other"}, {"other", " ┗x.md", "top", " ┗ガ", " 　 ┣か.c", " 　 ┣か9.c", " 　 ┗カ10.c"}},
      {{"--items", "folders", "--folder-prefix=[", "--folder-suffix", "]", "--file-prefix=<", "top", "other/x.md"},
       {"[top]", "[top/ガ]"}},
      {{"-i", "files", "--file-prefix=<", "--file-suffix=>", "-n", "other/x.md", "top/.hidden"}, {"<other/x.md>", "<top/.hidden>"}},
      {{"-f", "relative", "-n", "top/ガ/か.c", "nowhere", "other"}, {"top/ガ/か.c", "other"}, '\n', 1,
       "dorrowin-list: cannot access '" + root + "/nowhere': No such file or directory\n"},
      {{"-ftree", "-n", "/"}, {"/"}},
      {{"-j", "1", "--threads=3", "-fname", "top/ガ"}, {"ガ", "か.c", "か9.c", "カ10.c"}},
      {{"top/ガ", "--form", "tree"}, {"ガ", " ┣か.c", " ┣か9.c", " ┗カ10.c"}},
      {{"-f", "absolute", "u"}, {root + "/u", root + "/u/𠮷野家.txt", root + "/u/😀", root + "/u/😀/x"}},
      {{"-0", "-f", "tree", "n"}, {"n", " ┣a", " ┣line\nbreak", " ┗b", " 　 ┗c"}, '\0'},
      // A folder's last entries left out: the last one listed ends its level.
      {{"-ftree", "--exclude-from", root + "/good", "top"},
       {"top", " ┣-dash.txt", " ┣.hidden", " ┣A2.txt", " ┣a10.txt", " ┣b.TXT", " ┗back\\slash"}},
      {{"-ftree", "-g", "g", "n"}, {"g", " ┣.gitignore", " ┗a", "n", " ┣a", " ┣line\nbreak", " ┗b", " 　 ┗c"}},
      {{"-ftree", "-L", "1", "-E", "a", "n", "top/ガ"}, {"n", " ┣line\nbreak", " ┗b", "top", " ┗ガ", " 　 ┣か.c", " 　 ┣か9.c", " 　 ┗カ10.c"}},
      {{"--version"}, {"dorrowin-list 1.04"}},
      {{"-L", "x", "."}, {}, '\n', 2, usage("invalid value 'x" + depth)},
      {{"-E", "[ab", "."}, {}, '\n', 2, usage("invalid glob '[ab' for --exclude")},
      {{"--exclude-from=/nowhere", "."}, {}, '\n', 2,
       usage("cannot read --exclude-from file '/nowhere': No such file or directory")},
      {{"--exclude-from", bad, "."}, {}, '\n', 2, usage("invalid glob 'x[' in --exclude-from file '" + bad + "'")},
      {{"-q", "."}, {}, '\n', 2, usage("unknown option '-q'")},
      {{".", "--form"}, {}, '\n', 2, usage("option --form needs a value")},
      {{".", "-i"}, {}, '\n', 2, usage("option --items needs a value")},
      {{"-f", "wide", "."}, {}, '\n', 2, usage("invalid value 'wide' for --form (absolute, relative, name, tree)")},
      {{"--no-scan=yes", "."}, {}, '\n', 2, usage("option --no-scan takes no value")},
      {{"--threads=0", "."}, {}, '\n', 2, usage("invalid value '0' for --threads (a number from 1 to 256)")},
      {{"--saved", "."}, {}, '\n', 2, usage("unknown option '--saved'")},  // Windows only
      {{"-x"}, {}, '\n', 2, usage("no path given")},
      {{"-h", "--bogus-after-help"}, {}, '\n', 2, usage("unknown option '--bogus-after-help'")},
  };
  for (const Case& c : cases) {
    ToolRun run = RunTool(c.args, w.native());
    EXPECT_EQ(run.out, Join(c.lines, c.end)) << c.args[0];
    EXPECT_EQ(run.status, c.status) << c.args[0];
    EXPECT_EQ(run.err, c.err) << c.args[0];
  }
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-h"}, {"x", "--help"}}) {
    ToolRun help = RunTool(args, "/");
    EXPECT_EQ(help.status, 0) << args[0];
    EXPECT_NE(help.out.find("\n  -f, --form=FORM          absolute,"), std::string::npos) << args[0];
    EXPECT_EQ(help.out.find("--saved"), std::string::npos);
  }
}

// While the tool writes a listing far larger than the pipe: SIGINT, a closed pipe, and the progress line drawn and
// erased on a terminal (output held until it shows).
TEST(ConsoleTool, InterruptClosedPipeAndProgressLine) {
  ScratchFolder w;
  std::vector<std::string> files;
  for (int i = 0; i < 200; ++i) files.push_back("big/f" + std::to_string(i) + ".txt");
  w.Make(files);
  std::string suffix;
  for (int i = 0; i < 25000; ++i) suffix += "😀";  // lines longer than the output buffer, pairs across its end
  const std::vector<std::string> args = {"--file-suffix=" + suffix, "big"};
  bool signalled = false;
  ToolRun interrupted = RunTool(args, w.native(), [&](pid_t pid, const std::string&) {
    if (!signalled) kill(pid, SIGINT);
    signalled = true;
    return true;
  });
  EXPECT_TRUE(interrupted.exited) << "ended by the signal itself: no handler";
  EXPECT_EQ(interrupted.status, 130);
  EXPECT_LT(interrupted.out.size(), 200u * 100000u);  // not the whole listing
  EXPECT_EQ(interrupted.err, "");
  // Lines came out before the interrupt, and every whole one is one of the listing's lines.
  auto lines = Records(interrupted.out.substr(0, interrupted.out.rfind('\n') + 1), '\n');
  EXPECT_FALSE(lines.empty());
  for (const std::string& line : lines) EXPECT_TRUE(line == "big" || line.ends_with(".txt" + suffix)) << line;
  ToolRun closed = RunTool(args, w.native(), [](pid_t, const std::string&) { return false; });
  EXPECT_TRUE(closed.status == 0 || closed.status == 128 + SIGPIPE) << closed.status;
  EXPECT_EQ(closed.err, "");
  EXPECT_EQ(closed.out.substr(0, 3), "big");
  int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
  const std::string device = ptsname(terminal);
  std::string screen;
  auto read = [&, buffer = std::string(4096, 0)]() mutable {  // false once the tool has let go of the terminal
    pollfd fd{terminal, POLLIN, 0};
    ssize_t n = poll(&fd, 1, 60000) == 1 ? ::read(terminal, buffer.data(), buffer.size()) : 0;
    return n > 0 && (screen.append(buffer, 0, static_cast<size_t>(n)), true);
  };
  ToolRun drawn = RunTool(args, w.native(), [&](pid_t, const std::string&) {
    while (screen.find(" entries read") == std::string::npos && read()) {}
    return true;
  }, [&] { dup2(open(device.c_str(), O_RDWR | O_NOCTTY), 2); });
  while (read()) {}
  EXPECT_EQ(drawn.status, 0);
  EXPECT_TRUE(std::regex_match(screen, std::regex("(\r[0-9]+ folders, [0-9]+ entries read *)+\r +\r"))) << screen;
  close(terminal);
}

// A write error, and a folder nobody may read (as root: run as nobody, the tool copied where anyone may enter): the
// reason, status 1, and the lines before the message written before it.
TEST(ConsoleTool, WriteErrorsAndUnreadableFolders) {
  namespace fs = std::filesystem;
  ScratchFolder w;
  w.Make({"top/a/x", "top/b/y", "top/c/z"});
  ToolRun full = RunTool({"top"}, w.native(), nullptr, [] { dup2(open("/dev/full", O_WRONLY), 1); });
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "dorrowin-list: cannot write the list: No space left on device\n");
  char16_t text[4] = {u'x', u'x', u'x', u'x'};  // the system's texts cut to the room given, terminator included
  DescribeSystemError(ENOENT, text, 4);
  EXPECT_EQ(std::u16string(text), u"No ");
  const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
  ASSERT_TRUE(geteuid() != 0 || nobody != nullptr) << "root, and no user nobody to run as";
  std::string bin = (fs::temp_directory_path() / "dorrowin-XXXXXX").string();
  ASSERT_NE(mkdtemp(bin.data()), nullptr);
  fs::copy_file(DORROWIN_LIST, bin + "/dorrowin-list");
  const auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                    fs::perms::others_exec;
  for (const fs::path& path : {fs::path(bin), fs::path(bin + "/dorrowin-list"), w.native(), w.native() / "top", w.native() / "top/a",
                               w.native() / "top/a/x", w.native() / "top/c", w.native() / "top/c/z"})
    fs::permissions(path, open);
  fs::permissions(w.native() / "top/b", fs::perms::none);
  ToolRun denied = RunTool({"top"}, w.native(), nullptr, [&] {
    dup2(1, 2);  // one stream, to see the order
    bool dropped = nobody == nullptr || (!setgroups(0, nullptr) && !setgid(nobody->pw_gid) && !setuid(nobody->pw_uid));
    if (!dropped) _exit(125);
  }, bin + "/dorrowin-list");
  fs::remove_all(bin);
  EXPECT_EQ(denied.status, 1);
  EXPECT_EQ(denied.out, Join({"top", "top/a", "top/a/x", "top/b",
                              "dorrowin-list: cannot read folder '" + w.native().string() + "/top/b': Permission denied",
                              "top/c", "top/c/z"}));
}

// The README's option table and the manual page's OPTIONS (.TP tags) name the options the tool reads.
TEST(ConsoleTool, OptionsAreDocumented) {
  std::set<std::string> longs, shorts, found[4];
  for (const ConsoleOption& option : kConsoleOptions) {
    longs.insert("--" + Utf8(option.name));
    if (option.shortName != 0) shorts.insert({'-', static_cast<char>(option.shortName)});
  }
  std::ifstream readme(DORROWIN_SOURCE "/README.md"), manual(DORROWIN_SOURCE "/resources/dorrowin-list.1.in");
  std::string text[2], line;
  for (bool in = false; std::getline(readme, line);)
    if ((in = line.starts_with("| option | short |") || (in && line.starts_with("|")))) text[0] += line + "\n";
  for (bool in = false; std::getline(manual, line);) {
    in = line == ".SH OPTIONS" || (in && !line.starts_with(".SH"));
    if (in && line == ".TP" && std::getline(manual, line))
      text[1] += std::regex_replace(line, std::regex("\\\\-"), "-") + "\n";
  }
  const char* patterns[4] = {"`(--[a-z0-9-]+)", "`(-[a-zA-Z0-9])`", "(--[a-z0-9-]+)",
                             "(?:^|[ \"])(-[a-zA-Z0-9])(?=[ \"]|$)"};
  for (int i = 0; i < 4; ++i) {
    const std::regex name(patterns[i]);
    for (std::sregex_iterator it(text[i / 2].begin(), text[i / 2].end(), name), end; it != end; ++it)
      found[i].insert((*it)[1]);
    EXPECT_EQ(found[i], i % 2 ? shorts : longs) << patterns[i];
  }
}

// Names that are not UTF-8 or hold controls: listed with their own bytes as find prints them, in every form, from any
// argument or working folder, with --max-depth and --exclude as find's -maxdepth and -prune, in an order that does not
// depend on the order read; a missing one told with its bytes.
TEST(ConsoleTool, NamesThatAreNotUtf8AreListedByteForByte) {
  ScratchFolder w;  // 資料 in Shift_JIS and EUC-JP, Latin-1, a stray byte, a truncated sequence, overlong '/' and "..",
  // an encoded surrogate, a code point past U+10FFFF, and 資 in UTF-8
  const std::string sjis = "\x8e\x91\x97\xbf", names[] = {sjis, "\xbb\xf1\xce\xc1", "caf\xe9", "\x80stray",
      "cut\xe3\x81", "a\xc0\xaf..", "\xc0\xae\xc0\xae", "\xed\xb2\x80", "\xf4\x90\x80\x80", "\xe8\xb3\x87"};
  std::vector<std::string> entries, reversed;
  for (size_t i = 0; i < std::size(names); ++i) {
    for (size_t k = 1; k <= 3; ++k) entries.push_back("t/" + names[i] + "/" + names[(i + k) % 10] + (k < 3 ? "/f" : ""));
    entries.push_back("t/" + names[i] + "/" + names[(i + 1) % 10] + "/" + names[i] + "/" + names[(i + 2) % 10]);
    entries.push_back("in/" + names[i]), reversed.insert(reversed.begin(), "out/" + names[i]);
  }
  entries.insert(entries.end(), {"t/\U0001F600 ｶﾞｰ\x01\t\x7F/x", "t/" + std::string(255, 'n')});  // the longest name
  w.Make(entries), w.Make(reversed);
  const std::string root = w.native().string(), dir = root + "/t/" + sjis, leaf = " -printf '%f\\n'";
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{"-f", "absolute", "t"}, root, "'" + root + "/t'"}, {{"t"}, root, "t"}, {{"-fname", "t"}, root, "t" + leaf},
      {{"-ftree", "t"}, root, "t" + leaf}, {{"-f", "absolute", dir}, "/", "'" + dir + "'"},
      {{"-f", "absolute", "."}, dir, "'" + dir + "'"}, {{"-fname", "t/" + sjis}, root, "'t/" + sjis + "'" + leaf},
      {{"-f", "absolute", "-L", "2", "-E", "x", "-E", "[m-o]*", "t"}, root,  // -prune: what -E leaves out, inside too
       "'" + root + "/t' -maxdepth 2 \\( -name x -o -name '[m-o]*' \\) -prune -o -print"},
      {{"-fname", "-L", "1", "t/" + sjis}, root, "'t/" + sjis + "' -maxdepth 1" + leaf}};
  for (const auto& [args, cwd, findArgs] : cases) {
    ToolRun run = RunTool(args, cwd);
    std::string out = run.out;  // the tree's indent goes: its lines are the names then
    for (const char* glyph : {"┣", "┗", "┃", "　"}) out = std::regex_replace(out, std::regex(glyph), " ");
    out = std::regex_replace(out, std::regex("(^|\n) +"), "$1");
    EXPECT_EQ(Records(out, '\n'), Records(ShellOutput("cd '" + root + "' && find " + findArgs), '\n')) << args[0];
    EXPECT_EQ(run.status, 0) << args[0];
    EXPECT_EQ(run.err, "");
  }
  // The same names, made in opposite orders (tmpfs reads them back newest first): listed alike after the folder's line.
  EXPECT_EQ(RunTool({"-fname", "in"}, root).out.substr(3), RunTool({"-fname", "out"}, root).out.substr(4));
  ToolRun missing = RunTool({"t/\xe9t\xe9"}, root);
  EXPECT_EQ(missing.err, "dorrowin-list: cannot access '" + root + "/t/\xe9t\xe9': No such file or directory\n");
  EXPECT_EQ(RunTool({"--utf16", "-fname", "-n", "t/caf\xe9"}, root).out, std::string("c\0a\0f\0\xe9\xdc", 8));
  // Windows names in UTF-8: an unpaired surrogate is one U+FFFD, a pair its character.
  EXPECT_EQ(ToUtf8(u"1\xD800x\xDC00\xD800\xD83D\xDE00\xDE00", LoneSurrogates::Replaced),
            "1\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

// Each allocation failing in turn: the whole listing and 0, or a beginning of it, the message and 1; nothing leaked.
TEST(ConsoleTool, EveryAllocationFailingInTurn) {
  ScratchFolder w;
  w.Make({"top/b.txt", "top/a/x.md", "top/a/y/", "top/c/z.txt", "other.txt"});
  const std::vector<std::u16string> args = {u"-ftree", u"--folder-suffix=/", u"top", u"other.txt"};
  int64_t live = GetAllocationStats().liveBlocks;
  ToolRun whole = RunEntry(args, w.native(), 0);
  EXPECT_EQ(whole.out, Join({"other.txt", "top/", " ┣b.txt", " ┣a/", " ┃ ┣x.md", " ┃ ┗y/", " ┗c/", " 　 ┗z.txt"}));
  for (uint64_t k = 1;; ++k) {
    uint64_t failures = GetAllocationStats().failures;
    ToolRun run = RunEntry(args, w.native(), k);
    EXPECT_EQ(GetAllocationStats().liveBlocks, live) << "allocation " << k;
    bool listed = run.status == 0;
    EXPECT_EQ(run.err, listed ? "" : "dorrowin-list: out of memory\n") << "allocation " << k;
    EXPECT_EQ(run.status, listed ? 0 : 1) << "allocation " << k;
    EXPECT_TRUE(listed ? run.out == whole.out : whole.out.starts_with(run.out)) << "allocation " << k << "\n" << run.out;
    if (GetAllocationStats().failures == failures) break;
  }
}

}  // namespace
