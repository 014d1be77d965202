// How long large listings take through BuildListing: one folder of 100,000
// files created in random order, listed as a drop of that folder lists it;
// a drop of 20,000 separate files of that folder, given as 20,000 input
// paths in random order, which are collected and then sorted once; a
// tree of 10,101 folders on a file system that answers every call after
// 1 ms, as a server does, read with one reader and with the default pool;
// and a git working tree of 100 folders of 1,000 files listed plainly,
// with --exclude globs and with --gitignore, leaving out the same files.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/listing.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolderFiles = 100000;
constexpr int kDroppedFiles = 20000;

// file1.txt ... file100000.txt and a share of Japanese names (資料N.txt), of
// the kind that arrive out of order. Made once, in /dev/shm where there is
// one, and kept for the next run.
fs::path BigFolder(std::vector<std::string>* names) {
  for (int i = 1; i <= kFolderFiles; ++i) {
    names->push_back((i % 5 == 0 ? "\xE8\xB3\x87\xE6\x96\x99" : "file") + std::to_string(i) + ".txt");
  }
  std::shuffle(names->begin(), names->end(), std::mt19937(7));
  std::error_code error;
  fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  fs::path folder = base / ("dorrowin-bench-" + std::to_string(kFolderFiles));
  if (fs::exists(folder / "done")) return folder;
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const std::string& name : *names) std::ofstream(folder / name);
  std::ofstream(folder / "done");
  return folder;
}

// The host's own path: the listing reads POSIX paths here, as dorrowin-list on Linux does.
std::u16string ProgramPath(const fs::path& path) { return FromUtf8(path.c_str()); }

struct Fixture {
  std::vector<std::string> names;
  fs::path folder = BigFolder(&names);
};

const Fixture& TheFixture() {
  static const Fixture fixture;
  return fixture;
}

ListingRequest MakeRequest(PathForm form, const std::vector<std::u16string>& paths) {
  ListingRequest request{};
  request.options = ListingOptions{form, u'/', ItemFilter::FilesAndFolders, true, true, PathStyle::Posix};
  for (const std::u16string& path : paths) {
    if (!AddRequestPath(&request, path.data(), path.size())) request.inputFailed = true;
  }
  return request;
}

void RunListing(benchmark::State& state, const ListingRequest& request, uint64_t expectedLines) {
  std::atomic<bool> abort{false};
  uint64_t lines = 0;
  for (auto _ : state) {
    ListingText text{};
    if (BuildListing(request, abort, &text) != ListingOutcome::Done) state.SkipWithError("the listing failed");
    lines = text.lines;
  }
  if (lines != expectedLines) state.SkipWithError("wrong number of lines");
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_ListFolder(benchmark::State& state) {
  const Fixture& fixture = TheFixture();
  RunListing(state, MakeRequest(static_cast<PathForm>(state.range(0)), {ProgramPath(fixture.folder)}),
             kFolderFiles + 2);  // the folder, its files and "done"
}

void BM_DropFiles(benchmark::State& state) {
  const Fixture& fixture = TheFixture();
  // The first 20,000 names of the creation order: a random order of the names.
  std::vector<std::u16string> paths;
  for (int i = 0; i < kDroppedFiles; ++i) paths.push_back(ProgramPath(fixture.folder / fixture.names[i]));
  RunListing(state, MakeRequest(static_cast<PathForm>(state.range(0)), paths), kDroppedFiles);
}

// A server's tree: /net holds 100 folders of 100 folders of 2 files; every
// call is answered after a millisecond.
const FileSystemApi kSlowServer = {
    [](const char16_t*) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return kAttributeDirectory;
    },
    [](const char16_t* folder, FolderEntryFn onEntry, void* context) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      int depth = 0;
      for (const char16_t* c = folder; *c != 0; ++c) depth += *c == u'/';
      for (int i = 0; i < (depth < 3 ? 100 : 2); ++i) {
        std::u16string name = (depth < 3 ? u"d" : u"f") + FromUtf8(std::to_string(i).c_str());
        if (!onEntry(context, FolderEntry{name.c_str(), depth < 3, false})) break;
      }
      return FolderRead::Complete;
    },
    [] { return int32_t{0}; }};

void BM_SlowServer(benchmark::State& state) {
  FileSystemApi real = g_fileSystem;
  g_fileSystem = kSlowServer;
  ListingRequest request = MakeRequest(PathForm::Absolute, {u"/net"});
  request.options.readers = static_cast<int32_t>(state.range(0));
  RunListing(state, request, 1 + 100 + 10000 + 20000);
  g_fileSystem = real;
}

// 100 folders of 1,000 files created in random order; of each folder's
// files 10 end in .o, 10 in .log, 20 in .bak. The .gitignore at the top has
// patterns of a usual project, every tenth folder one of its own, and
// info/exclude leaves out *.bak. Made once, and kept.
fs::path GitTree() {
  std::error_code error;
  fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  fs::path tree = base / "dorrowin-bench-git";
  if (fs::exists(tree / "done")) return tree;
  fs::remove_all(tree);
  fs::create_directories(tree / ".git/info");
  std::ofstream(tree / ".git/info/exclude") << "*.bak\n";
  std::ofstream(tree / ".gitignore") << "# build output\n*.o\n*.log\n!keep.log\n/build/\nnode_modules/\n*.tmp\n*~\n"
                                        ".DS_Store\ndocs/**/*.html\n";
  std::vector<fs::path> files;
  for (int d = 0; d < 100; ++d) {
    fs::path folder = tree / "d";
    folder += std::to_string(d);
    fs::create_directory(folder);
    if (d % 10 == 0) std::ofstream(folder / ".gitignore") << "!important.o\n*.swp\n";
    for (int i = 0; i < 1000; ++i) {
      const char* stem = i % 100 == 0 ? "obj"
                         : i % 50 == 0 ? "run"
                         : i % 25 == 0 ? "old"
                         : i % 5 == 0  ? "\xE8\xB3\x87\xE6\x96\x99"
                                       : "file";
      const char* extension = i % 100 == 0 ? ".o" : i % 50 == 0 ? ".log" : i % 25 == 0 ? ".bak" : ".txt";
      files.push_back(folder / stem);
      files.back() += std::to_string(i);
      files.back() += extension;
    }
  }
  std::shuffle(files.begin(), files.end(), std::mt19937(7));
  for (const fs::path& file : files) std::ofstream{file};
  std::ofstream(tree / "done");
  return tree;
}

// range(0): 0 plain, 1 --exclude globs, 2 --gitignore, 3 --exclude globs
// that match nothing (the matching alone); range(1): readers.
void BM_GitTree(benchmark::State& state) {
  static const fs::path tree = GitTree();
  setenv("HOME", tree.c_str(), 1);  // no user's excludes file
  unsetenv("XDG_CONFIG_HOME");
  ListingRequest request = MakeRequest(PathForm::Absolute, {ProgramPath(tree)});
  request.options.readers = static_cast<int32_t>(state.range(1));
  request.options.gitIgnore = state.range(0) == 2;
  for (const char16_t* glob : {u"*.o", u"*.log", u"*.bak", u"*~", u"*.tmp", u".git"}) {
    std::u16string text = std::u16string(glob) + (state.range(0) == 3 ? u"x" : u"");
    if (state.range(0) % 2 == 1) AddRequestExclude(&request, text.data(), text.size());
  }
  // The tree, .gitignore, done, 100 folders and 10 .gitignore files; .git
  // and its two entries, and 40 files a folder, where nothing is left out.
  RunListing(state, request, state.range(0) % 3 == 0 ? 100116 : 96113);
}

}  // namespace

BENCHMARK(BM_GitTree)->ArgsProduct({{0, 1, 2, 3}, {1, 0}})->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK(BM_SlowServer)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK(BM_ListFolder)
    ->Arg(static_cast<int>(PathForm::Absolute))
    ->Arg(static_cast<int>(PathForm::Tree))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

BENCHMARK(BM_DropFiles)
    ->Arg(static_cast<int>(PathForm::Relative))
    ->Arg(static_cast<int>(PathForm::Absolute))
    ->Arg(static_cast<int>(PathForm::Tree))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

BENCHMARK_MAIN();
