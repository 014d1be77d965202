#pragma once
// Start-up and the main window: the class, the window with its tooltip
// control, 23 child controls and three fonts, and the window procedure.

#include <windows.h>

#include "resources/resource.h"

// The Win32 objects start-up creates; they live until the process ends.
struct MainWindowObjects {
  HINSTANCE instance;
  HWND tooltip;
  HFONT normalFont;
  HFONT smallFont;
  HFONT boldFont;
};

extern MainWindowObjects g_mainWindowObjects;

// Reads the two titles and the class name from the resources into g_ui.
void LoadWindowTexts(HINSTANCE instance);
void RegisterMainWindowClass(HINSTANCE instance);
// Everything from the main window to the start of a command-line job; false
// only when the main window cannot be created.
bool CreateMainWindow(HINSTANCE instance);
// The readme path: readme.txt in the folder of the program's own file.
void ResolveReadmePath();
// Lets drops through the message filter of an elevated process, so that
// Explorer running without elevation can still drop onto the window. The
// filter call is the system's; tests hand in one that records.
using MessageFilterFn = BOOL(WINAPI*)(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT status);
bool AllowDropsFromLowerIntegrity(HWND window, MessageFilterFn filter = ChangeWindowMessageFilterEx);
// Runs until the quit message; returns its exit code.
int RunMessageLoop();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
