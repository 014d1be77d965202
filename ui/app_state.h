#pragma once
// The application's one state, owned by the window's start-up and passed
// by pointer to every handler: the settings, the job and its status, the
// window, and the help file's path.

#include <cstdint>

#include "job/job_runner.h"
#include "platform/owned.h"
#include "platform/window.h"
#include "settings/listing_settings.h"

enum class StatusState : int32_t { Idle = 1, Listing = 2, Copying = 3, Done = 4, Interrupted = 5, Failed = 6 };

// Made as the state before start-up: the default settings, Idle, no window.
struct AppState {
  ListingSettings settings = kDefaultSettings;
  // Written on the window's thread only; the worker reports through the
  // window's message queue.
  StatusState status = StatusState::Idle;
  // Set at start-up when the program was given paths: the one job lists
  // them and the window closes at its end.
  bool commandLineMode = false;
  JobRunner job{};
  MainWindow* window = nullptr;
  // readme.txt in the program's folder; null when there is none.
  Text readmePath;
};

// The help file beside a program at modulePath: everything up to the last
// backslash, then "\readme.txt". Null when the path names no folder (no
// backslash) or memory runs out.
Text ReadmePathFor(const char16_t* modulePath);

// The four edit boxes of the affix texts, in the order of the request and
// the stored values.
constexpr Control kAffixEdits[kAffixCount] = {Control::FilePrefixEdit, Control::FileSuffixEdit,
                                              Control::FolderPrefixEdit, Control::FolderSuffixEdit};
// Copies of the four edit boxes' texts; false when storage runs out.
bool ReadAffixEdits(AppState* state, Text (&texts)[kAffixCount]);
