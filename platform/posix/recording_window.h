#pragma once
// The POSIX window layer keeps each control's text and state in memory and
// records every call in order, so that tests can check what the job and
// settings logic did to the window.

#include <string>
#include <vector>

#include "platform/window.h"

struct WindowEvent {
  std::string operation;  // the WindowApi member's name
  Control control;        // for control operations
  std::u16string text;    // for text writes
  int64_t values[4];      // numbers the operation took
};

std::vector<WindowEvent> RecordedWindowEvents();
void ClearRecordedWindowEvents();
// Current state, as the recorded calls left it.
std::u16string RecordedControlText(Control control);
bool RecordedControlEnabled(Control control);
bool RecordedControlShown(Control control);
// The window's state: reset puts it at (0, 0), 100 x 100, work area 1280 x 984.
void ResetRecordedWindow();
void SetRecordedWindowRect(WindowRect rect);
void SetRecordedWorkArea(WindowRect rect);
