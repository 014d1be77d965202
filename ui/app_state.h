#pragma once
// The application's one state, owned by the window's start-up and passed by
// pointer to every handler.

#include <cstdint>

#include "job/job_runner.h"
#include "platform/owned.h"
#include "platform/window.h"
#include "settings/listing_settings.h"

enum class StatusState : int32_t { Idle = 1, Listing = 2, Copying = 3, Done = 4, Interrupted = 5, Failed = 6 };

struct AppState {
  ListingSettings settings = kDefaultSettings;
  // Written on the window's thread only; the worker reports through its message queue.
  StatusState status = StatusState::Idle;
  // Given paths at start-up: the one job lists them and the window closes at its end.
  bool commandLineMode = false;
  JobRunner job{};
  MainWindow* window = nullptr;
  Text readmePath;  // readme.txt in the program's folder; null when there is none
};

// "\readme.txt" after the folder of modulePath; null without a backslash or memory.
Text ReadmePathFor(const char16_t* modulePath);

// The affix texts' edit boxes, in the order of the request and the stored values.
constexpr Control kAffixEdits[kAffixCount] = {Control::FilePrefixEdit, Control::FileSuffixEdit,
                                              Control::FolderPrefixEdit, Control::FolderSuffixEdit};
// Written before every status text (23 ideographic spaces) and, its last 21,
// before every label text.
constexpr char16_t kBlank[] =
    u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    u"\u3000\u3000\u3000\u3000\u3000";
static_assert(sizeof(kBlank) / sizeof(kBlank[0]) == 24, "the blank is 23 units");

// Copies of the four edit boxes' texts; false when storage runs out.
bool ReadAffixEdits(AppState* state, Text (&texts)[kAffixCount]);
