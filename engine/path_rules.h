#pragma once
// The rules of the paths the listing works on. Windows paths have drive
// letters or \\server\share and backslash separators; POSIX paths (the
// console tool on Linux) have '/' separators and no drives or network
// paths, and a backslash in them is an ordinary character.

#include <cstdint>

constexpr char16_t kBackslash = u'\\';
constexpr char16_t kSlash = u'/';

enum class PathStyle : uint8_t { Windows, Posix };

constexpr char16_t SeparatorOf(PathStyle style) { return style == PathStyle::Posix ? kSlash : kBackslash; }

// \\server\share\... (Windows paths only)
bool IsNetworkPath(const char16_t* path, int32_t length, PathStyle style);

// One spelling per path, in place: the \\?\ and \\?\UNC\ forms become
// ordinary paths, runs of separators one (but the two that open a network
// path), and a trailing separator goes unless it ends a root. Returns the
// new length.
int32_t NormalizeInputPath(char16_t* path, int32_t length, PathStyle style);

// Units of the root component that keeps its separators: "C:\" (3),
// "\\" (2) before a network path's server, "/" (1); 0 for others.
int32_t RootComponentLength(const char16_t* path, int32_t length, PathStyle style);
