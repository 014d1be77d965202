// How long a large folder takes to list: one folder of 100,000 files,
// created in random order, listed the way a drop of that folder lists it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/gather.h"
#include "engine/job_context.h"
#include "engine/path_node.h"
#include "platform/posix/posix_drop.h"
#include "settings/listing_settings.h"

namespace fs = std::filesystem;

namespace {

// Names of the kind that arrive out of order: file1 ... file100000, in
// random creation order, plus a share of Japanese names.
fs::path MakeBigFolder(int count) {
  fs::path folder = fs::temp_directory_path() / ("dorrowin-bench-" + std::to_string(count));
  if (fs::exists(folder / "done")) return folder;
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    names.push_back(i % 5 == 0 ? "\xE8\xB3\x87\xE6\x96\x99" + std::to_string(i) + ".txt"  // 資料N.txt
                               : "file" + std::to_string(i) + ".txt");
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(7));
  for (const std::string& name : names) std::ofstream(folder / name);
  std::ofstream(folder / "done");
  return folder;
}

std::u16string EnginePathOf(const fs::path& folder) {
  std::u16string text = u"Z:" + folder.generic_u16string();
  std::replace(text.begin(), text.end(), u'/', u'\\');
  return text;
}

void BM_ListFolder(benchmark::State& state) {
  fs::path folder = MakeBigFolder(static_cast<int>(state.range(0)));
  std::u16string path = EnginePathOf(folder);
  ResetListingSettings();
  g_settings.pathForm = static_cast<PathForm>(state.range(1));
  int64_t lines = 0;
  for (auto _ : state) {
    const char16_t* paths[] = {path.c_str()};
    g_job.pendingDrop = MakePosixDrop(paths, 1);
    PathNode* head = nullptr;
    PathNode* tail = nullptr;
    GatherDroppedItems(&head, &tail);
    lines = g_job.lineCount;
    FreeNodeList(&head, &tail);
  }
  state.counters["lines"] = static_cast<double>(lines);
}

}  // namespace

BENCHMARK(BM_ListFolder)
    ->ArgsProduct({{100000}, {static_cast<int>(PathForm::Absolute), static_cast<int>(PathForm::Tree)}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

BENCHMARK_MAIN();
