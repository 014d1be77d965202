#pragma once
// A fresh folder for tests that make thousands of entries on disk. It lies
// on a memory-backed file system where the machine has one (Linux's
// /dev/shm, which Wine shows as \dev\shm of the current drive), where
// making a file costs a fraction of what it costs on a disk; otherwise in
// the system's temporary folder. Removed with its contents at the end.

#include <filesystem>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& native() const { return root_; }
  // The folder's path as the program sees it.
  std::u16string path() const;

 private:
  std::filesystem::path root_;
};
