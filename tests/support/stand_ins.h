#pragma once
// The native build's window, clipboard, per-user store, shell and job input:
// in memory, recording what the program did. The Windows build has the real
// ones.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

// Every window call in order, readable: "text 10003 待機中", "enable 10013 0",
// "drops 1", "timer 1", "close", "move 10003 5 5 70 20", "window 0 0 86 98",
// "place 1 2", "title Dorrowin", "topmost 1", "alpha 192", "show 10001 0",
// "minimize".
std::vector<std::u16string> WindowLog();
void ClearWindowLog();
std::u16string ControlText(Control control);
void SetControlTextForTest(Control control, const std::u16string& text);
bool ControlEnabled(Control control);
// Puts the window at its start: no texts, everything enabled, the window at
// (0, 0) 100 x 100, the work area 1280 x 984; the store, clipboard and shell
// log emptied.
void ResetStandIns();
void SetWindowRect(WindowRect rect);
void SetWorkArea(WindowRect rect);

// Runs the job reports posted so far on this thread, waiting for the next
// one until the job is back to Idle.
void PumpJobReports();

// The clipboard: its units without the terminator; busy makes it refuse.
std::u16string ClipboardText();
void SetClipboardText(const std::u16string& text);
void SetClipboardBusy(bool busy);

// A drop of these paths; the drops made and not released.
void* MakeDrop(const std::vector<std::u16string>& paths);
int32_t LiveDrops();
void SetCommandLine(const std::u16string& line);

// The store: values as "name=type:hex bytes", keys as their paths, sorted;
// and the keys open now.
std::vector<std::u16string> StoreContents();
int32_t OpenStoreKeys();

// What was asked of the shell: "open PATH" or "warn TEXT|CAPTION"; open
// succeeds for paths ending in ".txt".
std::vector<std::u16string> ShellLog();
