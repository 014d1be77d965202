#include "ui/ui_state.h"

#include "platform/memory.h"

UiState g_ui{};

namespace {

constexpr char16_t kReadmeName[] = u"\\readme.txt";
constexpr size_t kReadmeNameLength = sizeof(kReadmeName) / sizeof(kReadmeName[0]) - 1;

}  // namespace

char16_t* ReadmePathFor(const char16_t* modulePath) {
  if (modulePath == nullptr) return nullptr;
  size_t length = 0;
  size_t lastBackslash = 0;
  bool found = false;
  for (; modulePath[length] != 0; ++length) {
    if (modulePath[length] == u'\\') {
      lastBackslash = length;
      found = true;
    }
  }
  if (!found) return nullptr;
  auto* path =
      static_cast<char16_t*>(PlatformAllocArray(lastBackslash + kReadmeNameLength + 1, sizeof(char16_t)));
  if (path == nullptr) return nullptr;
  for (size_t i = 0; i < lastBackslash; ++i) path[i] = modulePath[i];
  for (size_t i = 0; i <= kReadmeNameLength; ++i) path[lastBackslash + i] = kReadmeName[i];
  return path;
}

void SetReadmePath(char16_t* path) {
  PlatformFree(g_ui.readmePath);
  g_ui.readmePath = path;
}
