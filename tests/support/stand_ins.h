#pragma once
// The native build's window, clipboard, per-user store, shell and job input:
// in memory, recording what the program did. The Windows build has the real
// ones.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/listing_request.h"
#include "platform/window.h"

// Every window call in order, readable: "text 10003 待機中", "enable 10013 0",
// "drops 1", "timer 1", "close", "move 10003 5 5 70 20", "window 0 0 86 98",
// "place 1 2", "title Dorrowin", "topmost 1", "alpha 192", "show 10001 0".
std::vector<std::u16string> WindowLog();
void ClearWindowLog();
std::u16string ControlText(Control control);
void SetControlTextForTest(Control control, const std::u16string& text);
bool ControlEnabled(Control control);
void SetWindowRect(WindowRect rect);
void SetWorkArea(WindowRect rect);
// Everything back to the start: no texts, all enabled, the window at (0, 0)
// 100 x 100 in a work area of 1280 x 984, store, clipboard and shell empty.
void ResetStandIns();

// Runs the job reports posted, waiting for each, until the job is Idle.
void PumpJobReports();
// A drop (none: the command line) through the window's own start, run to its
// end on the worker; gives the outcome's status text.
std::u16string RunWindowJob(void* drop);
// The lines a Done job puts on the clipboard for a drop of the paths, with
// the default settings but the path form.
std::vector<std::string> ListThroughWorker(const std::vector<std::u16string>& paths, PathForm form);

// The clipboard's units without the terminator; busy makes it refuse.
std::u16string ClipboardText();
void SetClipboardText(const std::u16string& text);
void SetClipboardBusy(bool busy);

void* MakeDrop(const std::vector<std::u16string>& paths);
int32_t LiveDrops();  // made and not released
void SetCommandLine(const std::u16string& line);

// The store: each key's path, then its values as "name=type:hex bytes".
std::vector<std::u16string> StoreContents();
int32_t OpenStoreKeys();

// What was asked of the shell: "open PATH" (a .txt opens) or "warn TEXT|CAPTION".
std::vector<std::u16string> ShellLog();
