#include "engine/path_rules.h"

#include "platform/path_root.h"

bool IsNetworkPath(const char16_t* path, int32_t length, PathStyle style) {
  return style == PathStyle::Windows && length > 0 && IsNetworkRoot(path, static_cast<size_t>(length));
}

// The common prefix and the tree must see one text per path (a trailing
// separator would empty its folder's Relative line). A root keeps its
// separator: "C:\" is not "C:", "/" is not "".
int32_t NormalizeInputPath(char16_t* path, int32_t length, PathStyle style) {
  const char16_t separator = SeparatorOf(style);
  auto startsWith = [&](const char16_t* text) {
    int32_t k = 0;
    while (text[k] != 0 && k < length && path[k] == text[k]) ++k;
    return text[k] == 0;
  };
  // POSIX has no long forms, and "//" opens no network path there.
  int32_t read = 0;
  if (style == PathStyle::Windows) {
    read = startsWith(u"\\\\?\\UNC\\")                           ? 8
           : startsWith(u"\\\\?\\") || startsWith(u"\\\\.\\") ? 4
           : IsNetworkPath(path, length, style)                ? 2
                                                               : 0;
  }
  // Both open with the two backslashes that a network path keeps.
  int32_t write = read == 8 || read == 2 ? 2 : 0;
  for (; read < length; ++read) {
    if (path[read] == separator && write > 0 && path[write - 1] == separator) continue;
    path[write++] = path[read];
  }
  path[write] = 0;
  if (write > 1 && path[write - 1] == separator && write > RootComponentLength(path, write, style)) {
    path[--write] = 0;
  }
  return write;
}

int32_t RootComponentLength(const char16_t* path, int32_t length, PathStyle style) {
  if (style == PathStyle::Posix) return length >= 1 && path[0] == kSlash ? 1 : 0;
  return length > 0 ? static_cast<int32_t>(WindowsRootLength(path, static_cast<size_t>(length))) : 0;
}
