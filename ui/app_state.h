#pragma once
// The application's one state, owned by the window's start-up and passed
// by pointer to every handler: the settings, the job and its status, the
// window, and the texts start-up fills in.

#include <cstdint>

#include "job/job_runner.h"
#include "platform/window.h"
#include "settings/listing_settings.h"

enum class StatusState : int32_t { Idle = 1, Listing = 2, Copying = 3, Done = 4, Interrupted = 5, Failed = 6 };

// Each resource text is read into this many units, terminator included.
constexpr int32_t kResourceTextCapacity = 100;

struct AppState {
  ListingSettings settings;
  // Written on the window's thread only; the worker reports through the
  // window's message queue.
  StatusState status;
  // Set at start-up when the program was given paths: the one job lists
  // them and the window closes at its end.
  bool commandLineMode;
  JobRunner job;
  MainWindow* window;
  char16_t fullTitle[kResourceTextCapacity];
  char16_t className[kResourceTextCapacity];
  // readme.txt in the program's folder; null when there is none.
  char16_t* readmePath;
};

// The state before start-up: the default settings, Idle, no window.
void InitAppState(AppState* state);

// The help file beside a program at modulePath: everything up to the last
// backslash, then "\readme.txt". Null when the path names no folder (no
// backslash) or memory runs out; the caller frees it with PlatformFree.
char16_t* ReadmePathFor(const char16_t* modulePath);

// Replaces the readme path, freeing the one before; null means none.
void SetReadmePath(AppState* state, char16_t* path);

// The four edit boxes of the affix texts, in the order of the request and
// the stored values.
constexpr Control kAffixEdits[kAffixCount] = {Control::FilePrefixEdit, Control::FileSuffixEdit,
                                              Control::FolderPrefixEdit, Control::FolderSuffixEdit};
// Copies of the four edit boxes' texts, each through PlatformAlloc; false
// (every slot null) when storage runs out.
bool ReadAffixEdits(AppState* state, char16_t* texts[kAffixCount]);
void FreeAffixTexts(char16_t* texts[kAffixCount]);
