#include "tests/support/test_support.h"

#include "platform/utf8.h"

#include <atomic>
#include <fstream>
#include <ostream>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate =
        base / ("dorrowin-test-" + std::to_string(std::hash<std::string>{}(
                                       fs::absolute(base).string() + std::to_string(counter++)) %
                                   100000000) +
                "-" + std::to_string(counter.load()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      root_ = candidate;
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code error;
  // Folders made unreadable by a test must become readable again first.
  for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(root_, error);
}

std::u16string TempFolder::path() const { return EnginePath(root_); }

std::u16string TempFolder::AddFile(const std::u16string& relative) {
  fs::path target = root_ / fs::path(relative);
  fs::create_directories(target.parent_path());
  std::ofstream(target) << "x";
  return EnginePath(target);
}

std::u16string TempFolder::AddFolder(const std::u16string& relative) {
  fs::path target = root_ / fs::path(relative);
  fs::create_directories(target);
  return EnginePath(target);
}

std::vector<std::u16string> ListTexts(const PathNode* head) {
  std::vector<std::u16string> texts;
  for (const PathNode* node = head; node != nullptr; node = node->next) {
    texts.emplace_back(node->text, static_cast<size_t>(node->length));
  }
  return texts;
}

std::string Utf8(const std::u16string& text) { return ToUtf8(text.c_str()); }
