// The memory a listing of a million entries takes: a tree of 1,000 folders of
// 999 files each on disk, listed by BuildListing on a worker thread of its
// own, as a drop of its folder lists it, then copied once into a clipboard
// block of its own, as the Win32 clipboard layer does. Prints the lines, the
// clipboard text's size, the process's peak resident memory (getrusage) and
// whether that peak stays within twice the text and 20 MB; fails when the
// line count is wrong or a block is left allocated. Asserts nothing about
// time. The tree is kept for the next run (in /dev/shm where there is one);
// --remove deletes it at the end.
//
//   million_entries [--form absolute|relative|name|tree] [--remove] [folder]

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The clipboard's block: allocated as the Win32 layer allocates its
// GlobalAlloc block (fault injection counts it), filled once, and held as
// the clipboard holds it until the end of the run.
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

long PeakKib() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
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

struct Job {
  const ListingRequest* request;
  std::atomic<bool> abort;
  ListingText text;
  ListingOutcome outcome;
};

void RunListing(void* parameter) {
  auto* job = static_cast<Job*>(parameter);
  job->outcome = BuildListing(*job->request, job->abort, &job->text);
}

}  // namespace

ClipboardApi g_clipboard{BenchSetText};

int main(int argc, char** argv) {
  PathForm form = PathForm::Absolute;
  bool remove = false;
  std::error_code error;
  fs::path root = (fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                  "dorrowin-million";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--form" && i + 1 < argc) {
      std::string name = argv[++i];
      form = name == "tree"       ? PathForm::Tree
             : name == "relative" ? PathForm::Relative
             : name == "name"     ? PathForm::NameOnly
                                  : PathForm::Absolute;
    } else if (arg == "--remove") {
      remove = true;
    } else {
      root = arg;
    }
  }
  MakeTree(root);

  std::u16string dropped = FromUtf8((root / "tree").c_str());  // read as dorrowin-list on Linux reads it
  long peakBefore = PeakKib();
  AllocationStats before = GetAllocationStats();
  auto start = std::chrono::steady_clock::now();

  // The worker's part: the request in, the text out, on a thread of its own.
  ListingRequest request{};
  request.options = ListingOptions{form, u'/', ItemFilter::FilesAndFolders, true, true, PathStyle::Posix};
  bool taken = AddRequestPath(&request, dropped.data(), dropped.size());
  Job job{&request, {false}, ListingText{}, ListingOutcome::Failed};
  ThreadHandle worker = taken ? g_thread.startThread(RunListing, &job) : nullptr;
  if (worker != nullptr) {
    g_thread.waitThread(worker);
    g_thread.closeThread(worker);
  }
  bool copied = job.outcome == ListingOutcome::Done && CopyListingToClipboard(job.text);
  uint64_t units = job.text.units;

  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  long peak = PeakKib();
  AllocationStats after = GetAllocationStats();
  uint64_t lines = 0;
  if (copied && units > 0) {
    lines = 1;
    for (uint64_t i = 0; i + 1 < units; ++i) lines += g_block[i] == u'\r' && g_block[i + 1] == u'\n';
  }
  double textMib = static_cast<double>(units) * sizeof(char16_t) / 1048576.0;
  double peakMib = peak / 1024.0;
  bool withinBound = peakMib <= 2 * textMib + 20;

  const char* forms[] = {"", "Absolute", "Relative", "NameOnly", "Tree"};
  std::printf("form %s: %llu lines (of %llu), clipboard text %.1f MiB, peak resident %.1f MiB "
              "(%.1f MiB before the job); peak <= 2 x text + 20 MiB: %s\n",
              forms[static_cast<int>(form)], static_cast<unsigned long long>(lines),
              static_cast<unsigned long long>(kLines), textMib, peakMib, peakBefore / 1024.0,
              withinBound ? "yes" : "no");
  std::printf("allocations %llu; blocks left %lld; %.2f s\n",
              static_cast<unsigned long long>(after.allocations - before.allocations),
              static_cast<long long>(after.liveBlocks - before.liveBlocks), seconds);
  std::free(g_block);
  if (remove) fs::remove_all(root, error);
  return lines == kLines && after.liveBlocks == before.liveBlocks ? 0 : 1;
}
