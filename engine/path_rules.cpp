#include "engine/path_rules.h"

#include "platform/path_root.h"

bool IsNetworkPath(const char16_t* path, int32_t length, PathStyle style) {
  return style == PathStyle::Windows && length > 0 && IsNetworkRoot(path, static_cast<size_t>(length));
}

// Paths from a command line can hold repeated separators, a trailing one
// and the long forms; the common prefix and the tree must see one text per
// path (a trailing separator would make the Relative line of its folder
// empty). A root keeps its separator: "C:\" is not "C:", "/" is not "".
int32_t NormalizeInputPath(char16_t* path, int32_t length, PathStyle style) {
  const char16_t separator = SeparatorOf(style);
  int32_t read = 0;
  int32_t write = 0;
  auto startsWith = [&](const char16_t* text) {
    int32_t k = 0;
    while (text[k] != 0 && k < length && path[k] == text[k]) ++k;
    return text[k] == 0;
  };
  if (style == PathStyle::Posix) {
    // No long forms; "//" opens no network path.
  } else if (startsWith(u"\\\\?\\UNC\\")) {
    path[write++] = kBackslash;
    path[write++] = kBackslash;
    read = 8;
  } else if (startsWith(u"\\\\?\\") || startsWith(u"\\\\.\\")) {
    read = 4;
  } else if (IsNetworkPath(path, length, style)) {
    path[write++] = kBackslash;
    path[write++] = kBackslash;
    read = 2;
  }
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

// A drive keeps its separator so that the tree shows it as "C:\"; a POSIX
// path's root is "/".
int32_t RootComponentLength(const char16_t* path, int32_t length, PathStyle style) {
  if (style == PathStyle::Posix) return length >= 1 && path[0] == kSlash ? 1 : 0;
  return length > 0 ? static_cast<int32_t>(WindowsRootLength(path, static_cast<size_t>(length))) : 0;
}
