// The memory a listing of a million entries takes: a tree of 1,000 folders
// of 999 files each on disk, listed by a job through the worker to the
// clipboard, as a drop of its folder lists it. Prints the process's peak
// resident memory (getrusage), the resident memory before the job, the
// lines, the clipboard text's size and the allocations; asserts nothing
// about time. The tree is kept for the next run (in /dev/shm where there is
// one); --remove deletes it at the end.
//
//   million_entries [--form absolute|relative|name|tree] [--remove] [folder]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/memory.h"
#include "platform/posix/posix_clipboard.h"
#include "platform/posix/posix_drop.h"
#include "platform/utf8.h"
#include "settings/listing_settings.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesEach = 999;

// Resident memory now, in KiB, from /proc.
long ResidentKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

long PeakKib() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Names of the kind users have: numbered files, a share of Japanese ones.
void MakeTree(const fs::path& root) {
  if (fs::exists(root / "done")) return;
  fs::remove_all(root);
  std::printf("making %d entries in %s ...\n", kFolders * (kFilesEach + 1), root.c_str());
  for (int f = 0; f < kFolders; ++f) {
    std::string folderName = "folder";
    folderName += std::to_string(f);
    fs::path folder = root / "tree" / folderName;
    fs::create_directories(folder);
    for (int i = 0; i < kFilesEach; ++i) {
      std::string name = i % 5 == 0 ? "\xE8\xB3\x87\xE6\x96\x99" : "file";  // 資料N.txt or fileN.txt
      name += std::to_string(i);
      name += ".txt";
      std::ofstream(folder / name);
    }
  }
  std::ofstream(root / "done");
}

}  // namespace

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
      form = name == "tree" ? PathForm::Tree
             : name == "relative" ? PathForm::Relative
             : name == "name" ? PathForm::NameOnly
                              : PathForm::Absolute;
    } else if (arg == "--remove") {
      remove = true;
    } else {
      root = arg;
    }
  }
  MakeTree(root);

  ResetListingSettings();
  g_settings.pathForm = form;
  std::u16string dropped = u"Z:" + FromUtf8((root / "tree").c_str());
  for (char16_t& ch : dropped) {
    if (ch == u'/') ch = u'\\';
  }
  long before = ResidentKib();
  long peakBefore = PeakKib();
  AllocationStats statsBefore = GetAllocationStats();
  auto start = std::chrono::steady_clock::now();

  const char16_t* paths[] = {dropped.c_str()};
  StartJob(MakePosixDrop(paths, 1));
  WaitForWorker();

  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  AllocationStats statsAfter = GetAllocationStats();
  long peak = PeakKib();
  std::u16string text = PosixClipboardData();
  long lines = text.size() > 1 ? 1 : 0;
  for (char16_t ch : text) lines += ch == u'\n';

  const char* forms[] = {"", "Absolute", "Relative", "NameOnly", "Tree"};
  std::printf("form %s: %ld lines, %zu units on the clipboard (%.1f MiB)\n", forms[static_cast<int>(form)], lines,
              text.size(), text.size() * 2 / 1048576.0);
  std::printf("resident before the job %ld KiB; peak of the process %ld KiB (%.1f MiB; %ld KiB before the job)\n",
              before, peak, peak / 1024.0, peakBefore);
  std::printf("allocations %llu; blocks left %lld; %.2f s\n",
              static_cast<unsigned long long>(statsAfter.allocations - statsBefore.allocations),
              static_cast<long long>(statsAfter.liveBlocks - statsBefore.liveBlocks), seconds);
  bool ok = lines == kFolders * (kFilesEach + 1) + 1 && statsAfter.liveBlocks == statsBefore.liveBlocks;
  if (remove) fs::remove_all(root, error);
  return ok ? 0 : 1;
}
