#include "tests/support/scratch_folder.h"

#include <random>
#include <system_error>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::error_code error;
  fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::random_device random;
  for (;;) {
    std::string name = "dorrowin-scratch-";
    name += std::to_string(random());
    if (fs::create_directory(base / name, error)) {
      root_ = fs::absolute(base / name);
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  fs::remove_all(root_, error);
}

std::u16string ScratchFolder::path() const { return EnginePath(root_); }
