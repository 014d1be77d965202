// How long large listings take through BuildListing: one folder of 100,000
// files created in random order, listed as a drop of that folder lists it;
// and a drop of 20,000 separate files of that folder, given as 20,000 input
// paths in random order, which are collected and then sorted once.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/listing.h"
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

void RunListing(benchmark::State& state, ListingRequest request, uint64_t expectedLines) {
  std::atomic<bool> abort{false};
  uint64_t lines = 0;
  for (auto _ : state) {
    ListingText text{};
    if (BuildListing(request, abort, &text) != ListingOutcome::Done) state.SkipWithError("the listing failed");
    lines = text.lines;
    FreeListingText(&text);
  }
  if (lines != expectedLines) state.SkipWithError("wrong number of lines");
  state.counters["lines"] = static_cast<double>(lines);
  FreeListingRequest(&request);
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

}  // namespace

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
