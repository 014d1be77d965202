// How long large listings take through BuildListing: a folder of 100,000
// files; a drop of 20,000 of its files in random order; trees of three
// shapes on a slow server; a git working tree with its filters.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/listing.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolderFiles = 100000;
constexpr int kDroppedFiles = 20000;

// Trees are made once and kept, in memory where there is /dev/shm.
fs::path BenchFolder(const std::string& name) {
  std::error_code error;
  return (fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path()) / name;
}

// The host's own path: the listing reads POSIX paths here, as dorrowin-list on Linux does.
std::u16string ProgramPath(const fs::path& path) { return FromUtf8(path.c_str()); }

// file1.txt ... file100000.txt, a fifth named 資料N.txt, created in random order.
struct BigFolder {
  BigFolder() {
    for (int i = 1; i <= kFolderFiles; ++i) {
      names.push_back((i % 5 == 0 ? "\xE8\xB3\x87\xE6\x96\x99" : "file") + std::to_string(i) + ".txt");
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    if (fs::exists(folder / "done")) return;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const std::string& name : names) std::ofstream(folder / name);
    std::ofstream(folder / "done");
  }
  std::vector<std::string> names;
  fs::path folder = BenchFolder("dorrowin-bench-" + std::to_string(kFolderFiles));
};

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
  static const BigFolder fixture;
  RunListing(state, MakeRequest(static_cast<PathForm>(state.range(0)), {ProgramPath(fixture.folder)}),
             kFolderFiles + 2);  // the folder, its files and "done"
}

void BM_DropFiles(benchmark::State& state) {
  static const BigFolder fixture;
  // The first 20,000 names of the creation order: a random order of the names.
  std::vector<std::u16string> paths;
  for (int i = 0; i < kDroppedFiles; ++i) paths.push_back(ProgramPath(fixture.folder / fixture.names[i]));
  RunListing(state, MakeRequest(static_cast<PathForm>(state.range(0)), paths), kDroppedFiles);
}

// A server answering every call after 1 ms, with trees of three shapes:
// wide (100 folders of 100 folders of 2 files), bushy (5 to 10 subfolders
// a folder over four levels, 13 files each), deep (75 chains of 30 folders).
enum class Shape { Wide, Bushy, Deep };
std::atomic<Shape> g_shape{Shape::Wide};

// The entries of a folder of the server's tree: (name, is a folder).
std::vector<std::pair<std::u16string, bool>> ServerFolder(const std::u16string& folder) {
  int depth = 0;
  for (char16_t c : folder) depth += c == u'/';
  depth -= 1;  // "/net" is the top
  int folders = 0, files = 0;
  switch (g_shape.load()) {
    case Shape::Wide: folders = depth < 2 ? 100 : 0, files = depth < 2 ? 0 : 2; break;
    case Shape::Bushy:
      folders = depth == 0 ? 6 : depth < 3 ? 5 + static_cast<int>(std::hash<std::u16string>{}(folder) % 6)
                : depth == 3 ? 3 + static_cast<int>(std::hash<std::u16string>{}(folder) % 4) : 0;
      files = 13;
      break;
    case Shape::Deep: folders = depth == 0 ? 5 : depth == 1 ? 15 : depth < 31 ? 1 : 0, files = depth < 2 ? 0 : 10; break;
  }
  std::vector<std::pair<std::u16string, bool>> entries;
  for (int i = 0; i < folders + files; ++i) {
    std::string name(1, i < folders ? 'd' : 'f');
    name += std::to_string(i);
    entries.emplace_back(FromUtf8(name.c_str()), i < folders);
  }
  return entries;
}

// The lines of a listing of the server's tree below folder.
uint64_t ServerLines(const std::u16string& folder) {
  uint64_t lines = 0;
  for (const auto& [name, isFolder] : ServerFolder(folder)) lines += 1 + (isFolder ? ServerLines(folder + u"/" + name) : 0);
  return lines;
}

const FileSystemApi kSlowServer = {
    [](const char16_t*) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return kAttributeDirectory;
    },
    [](const char16_t* folder, FolderEntryFn onEntry, void* context) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      for (const auto& [name, isFolder] : ServerFolder(folder)) {
        if (!onEntry(context, FolderEntry{name.c_str(), isFolder, false})) break;
      }
      return FolderRead::Complete;
    },
    [] { return int32_t{0}; }};

// range(0): the shape; range(1): readers (0: the engine's default).
void BM_SlowServer(benchmark::State& state) {
  FileSystemApi real = g_fileSystem;
  g_fileSystem = kSlowServer;
  g_shape = static_cast<Shape>(state.range(0));
  ListingRequest request = MakeRequest(PathForm::Absolute, {u"/net"});
  request.options.readers = static_cast<int32_t>(state.range(1));
  RunListing(state, request, 1 + ServerLines(u"/net"));
  g_fileSystem = real;
}

// 100 folders of 1,000 files in random order, 40 of each ending in .o, .log
// or .bak; a usual project's .gitignore, one in every tenth folder, and
// info/exclude leaving out *.bak. Made once and kept.
fs::path GitTree() {
  fs::path tree = BenchFolder("dorrowin-bench-git");
  if (fs::exists(tree / "done")) return tree;
  fs::remove_all(tree);
  fs::create_directories(tree / ".git/info");
  std::ofstream(tree / ".git/info/exclude") << "*.bak\n";
  std::ofstream(tree / ".gitignore") << "# build output\n*.o\n*.log\n!keep.log\n/build/\nnode_modules/\n*.tmp\n*~\n"
                                        ".DS_Store\ndocs/**/*.html\n";
  std::vector<fs::path> files;
  for (int d = 0; d < 100; ++d) {
    fs::path folder = tree / ("d" + std::to_string(d));
    fs::create_directory(folder);
    if (d % 10 == 0) std::ofstream(folder / ".gitignore") << "!important.o\n*.swp\n";
    for (int i = 0; i < 1000; ++i) {
      int kind = i % 100 == 0 ? 0 : i % 50 == 0 ? 1 : i % 25 == 0 ? 2 : i % 5 == 0 ? 3 : 4;
      const char* stems[] = {"obj", "run", "old", "\xE8\xB3\x87\xE6\x96\x99", "file"};
      const char* extensions[] = {".o", ".log", ".bak", ".txt", ".txt"};
      files.push_back(folder / (stems[kind] + std::to_string(i) + extensions[kind]));
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

BENCHMARK(BM_SlowServer)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

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
