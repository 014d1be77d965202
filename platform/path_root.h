#pragma once
// The root of a Windows path, read one way by the listing and the file system.

#include <cstddef>

constexpr bool IsNetworkRoot(const char16_t* path, size_t length) {
  return length >= 2 && path[0] == u'\\' && path[1] == u'\\';
}

// Units of the root that keeps its separator: "\\" (2) of a network path,
// "C:\" (3) of a drive path, 0 for a relative path.
constexpr size_t WindowsRootLength(const char16_t* path, size_t length) {
  if (IsNetworkRoot(path, length)) return 2;
  return length >= 3 && path[0] != u'\\' && path[1] == u':' && path[2] == u'\\' ? 3 : 0;
}
