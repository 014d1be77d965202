#pragma once
// Texts of the user interface that start-up fills in and the commands read:
// the two window titles, the window class name and the help file's path.

#include <cstdint>

// Each resource text is read into this many units, terminator included.
constexpr int32_t kResourceTextCapacity = 100;

struct UiState {
  char16_t fullTitle[kResourceTextCapacity];
  char16_t compactTitle[kResourceTextCapacity];
  char16_t className[kResourceTextCapacity];
  // readme.txt in the program's folder; null when there is none.
  char16_t* readmePath;
};

extern UiState g_ui;

// The help file beside a program at modulePath: everything up to the last
// backslash, then "\readme.txt". Null when the path names no folder (no
// backslash) or memory runs out; the caller frees it with PlatformFree.
char16_t* ReadmePathFor(const char16_t* modulePath);

// Replaces the readme path, freeing the one before; null means none.
void SetReadmePath(char16_t* path);
