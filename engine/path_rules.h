#pragma once
// The rules of the listing's paths: Windows ones with drives, \\server\share
// and backslashes; POSIX ones (the Linux console tool) with '/' only.

#include <cstdint>

#include "platform/array.h"

constexpr char16_t kBackslash = u'\\';
constexpr char16_t kSlash = u'/';

enum class PathStyle : uint8_t { Windows, Posix };

constexpr char16_t SeparatorOf(PathStyle style) { return style == PathStyle::Posix ? kSlash : kBackslash; }

// Ends a folder's path with a separator, unless it is empty or ends in one
// (a root: "C:\", "/"); false when storage runs out.
inline bool EndWithSeparator(Array<char16_t>* path, char16_t separator) {
  return path->empty() || path->back() == separator || path->Append(separator);
}

// \\server\share\... (Windows paths only)
bool IsNetworkPath(const char16_t* path, int32_t length, PathStyle style);

// One spelling per path, in place: no \\?\ or \\?\UNC\ forms, no runs of
// separators (but a network path's two), no trailing one but a root's.
// Returns the new length.
int32_t NormalizeInputPath(char16_t* path, int32_t length, PathStyle style);

// Units of the root component that keeps its separators: "C:\" (3),
// "\\" (2) before a network path's server, "/" (1); 0 for others.
int32_t RootComponentLength(const char16_t* path, int32_t length, PathStyle style);
