// The peak memory of a listing of a million entries (1,000 folders of 999
// files, kept in /dev/shm for the next run) on a worker thread, copied once
// into a clipboard block: within twice the text and 20 MB? Fails when the line
// count is wrong or a block is left allocated.
//   million_entries [--form absolute|relative|name|tree] [--remove] [folder]

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/clipboard_text.h"
#include "engine/listing.h"
#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/thread.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesEach = 999;
constexpr uint64_t kLines = uint64_t{kFolders} * (kFilesEach + 1) + 1;  // and the dropped folder

// The clipboard's block: counted as the Win32 layer counts its GlobalAlloc
// block, filled once, and held until the end of the run.
char16_t* g_block = nullptr;

ClipboardResult BenchSetText(size_t units, ClipboardFillFn fill, const void* source) {
  if (units >= SIZE_MAX / sizeof(char16_t)) return ClipboardResult::NoMemory;
  void* block = PlatformAllocationAllowed() ? std::malloc((units + 1) * sizeof(char16_t)) : nullptr;
  if (block == nullptr) return ClipboardResult::NoMemory;
  std::free(g_block);
  g_block = static_cast<char16_t*>(block);
  fill(source, g_block);
  g_block[units] = 0;
  return ClipboardResult::Stored;
}

double PeakMib() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Names of the kind users have: numbered files, a share of Japanese ones.
void MakeTree(const fs::path& root) {
  if (fs::exists(root / "done")) return;
  fs::remove_all(root);
  std::printf("making %d entries in %s ...\n", kFolders * (kFilesEach + 1), root.c_str());
  for (int f = 0; f < kFolders; ++f) {
    fs::path folder = root / "tree" / ("folder" + std::to_string(f));
    fs::create_directories(folder);
    for (int i = 0; i < kFilesEach; ++i) {
      std::string name = i % 5 == 0 ? "\xE8\xB3\x87\xE6\x96\x99" : "file";  // 資料N.txt or fileN.txt
      std::ofstream(folder / (name + std::to_string(i) + ".txt"));
    }
  }
  std::ofstream(root / "done");
}

// The worker's part: the request in, the text out, on a thread of its own.
struct Job {
  ListingRequest request;
  std::atomic<bool> abort{false};
  ListingText text;
  ListingOutcome outcome = ListingOutcome::Failed;
  static void Run(void* job) {
    auto* self = static_cast<Job*>(job);
    self->outcome = BuildListing(self->request, self->abort, &self->text);
  }
};

}  // namespace

ClipboardApi g_clipboard{BenchSetText};

int main(int argc, char** argv) {
  // Indexed by PathForm: the option's names, then the printed ones.
  const char* options[] = {"", "absolute", "relative", "name", "tree"};
  const char* forms[] = {"", "Absolute", "Relative", "NameOnly", "Tree"};
  PathForm form = PathForm::Absolute;
  bool remove = false;
  std::error_code error;
  fs::path root = (fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                  "dorrowin-million";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--form" && i + 1 < argc) {
      for (int f = 1; f <= 4; ++f) form = argv[i + 1] == std::string(options[f]) ? PathForm(f) : form;
      ++i;
    } else if (arg == "--remove") {
      remove = true;
    } else {
      root = arg;
    }
  }
  MakeTree(root);

  std::u16string dropped = FromUtf8((root / "tree").c_str());  // read as dorrowin-list on Linux reads it
  double peakBefore = PeakMib();
  AllocationStats before = GetAllocationStats();
  auto start = std::chrono::steady_clock::now();
  auto job = std::make_unique<Job>();  // ended before the blocks left are counted
  job->request.options = ListingOptions{form, u'/', ItemFilter::FilesAndFolders, true, true, PathStyle::Posix};
  bool taken = AddRequestPath(&job->request, dropped.data(), dropped.size());
  ThreadHandle worker = taken ? g_thread.startThread(Job::Run, job.get()) : nullptr;
  g_thread.waitThread(worker);
  g_thread.closeThread(worker);
  bool copied = job->outcome == ListingOutcome::Done && CopyListingToClipboard(job->text);
  uint64_t units = job->text.units;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double peak = PeakMib();
  job.reset();
  AllocationStats after = GetAllocationStats();

  uint64_t lines = copied && units > 0 ? 1 : 0;
  for (uint64_t i = 0; lines > 0 && i + 1 < units; ++i) lines += g_block[i] == u'\r' && g_block[i + 1] == u'\n';
  double textMib = static_cast<double>(units) * sizeof(char16_t) / 1048576.0;
  std::printf("form %s: %llu lines (of %llu), clipboard text %.1f MiB, peak resident %.1f MiB "
              "(%.1f MiB before the job); peak <= 2 x text + 20 MiB: %s\n",
              forms[static_cast<int>(form)], static_cast<unsigned long long>(lines),
              static_cast<unsigned long long>(kLines), textMib, peak, peakBefore,
              peak <= 2 * textMib + 20 ? "yes" : "no");
  std::printf("allocations %llu; blocks left %lld; %.2f s\n",
              static_cast<unsigned long long>(after.allocations - before.allocations),
              static_cast<long long>(after.liveBlocks - before.liveBlocks), seconds);
  std::free(g_block);
  if (remove) fs::remove_all(root, error);
  return lines == kLines && after.liveBlocks == before.liveBlocks ? 0 : 1;
}
