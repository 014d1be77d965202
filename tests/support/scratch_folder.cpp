#include "tests/support/scratch_folder.h"

#include <random>
#include <stdexcept>
#include <system_error>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

// A new name each time; a base that refuses a new folder (not writable, or
// full) gives way to the next.
ScratchFolder::ScratchFolder() {
  std::error_code error;
  std::random_device random;
  for (const fs::path& base : {fs::path("/dev/shm"), fs::temp_directory_path()}) {
    if (!fs::is_directory(base, error)) continue;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = "dorrowin-scratch-";
      name += std::to_string(random());
      if (fs::create_directory(base / name, error)) {
        root_ = fs::absolute(base / name);
        return;
      }
      if (!fs::exists(base / name)) break;  // refused, not taken
    }
  }
  // Nothing may be made relative to wherever the test runs.
  throw std::runtime_error("no folder could be made for the test");
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  fs::remove_all(root_, error);
}

std::u16string ScratchFolder::path() const { return EnginePath(root_); }
