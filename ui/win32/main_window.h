#pragma once
// Start-up and the main window: the class, the window with its tooltip
// control, 23 child controls and three fonts, and the window procedure.

#include <windows.h>

#include "platform/win32/win32_window.h"
#include "resources/resource.h"
#include "ui/app_state.h"

// Reads the full title and the class name from the resources into the state.
void LoadWindowTexts(AppState* state, HINSTANCE instance);
void RegisterMainWindowClass(const AppState* state, HINSTANCE instance);
// Everything from the main window to the start of a command-line job, into
// state->window; false only when the main window cannot be created. The
// window procedure finds the state through the window.
bool CreateMainWindow(AppState* state, HINSTANCE instance);
// The outer size of the main window for a layout's client area at a DPI.
SIZE LayoutWindowSize(HWND window, bool compact, int32_t dpi);
// A control's place (x, y, width, height) in a layout at the design's DPI:
// its creation row's, or where the compact layout moves it.
void DesignPlace(Control control, bool compact, int32_t place[4]);
// The window moved to a monitor of another DPI (or its scale changed): the
// controls, fonts, icons and tooltip are remade for the new DPI in place, and
// the window takes the rectangle the system suggests.
void RescaleMainWindow(AppState* state, int32_t dpi, const RECT* suggested);
// Frees the window's fonts and icons; the window is being destroyed.
void FreeWindowObjects(MainWindow* window);
// The readme path: readme.txt in the folder of the program's own file.
void ResolveReadmePath(AppState* state);
// Lets drops through the message filter of an elevated process, so that
// Explorer running without elevation can still drop onto the window. The
// filter call is the system's; tests hand in one that records.
using MessageFilterFn = BOOL(WINAPI*)(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT status);
bool AllowDropsFromLowerIntegrity(HWND window, MessageFilterFn filter = ChangeWindowMessageFilterEx);
// Runs until the quit message; returns its exit code. A paste key with
// files on the clipboard, on the main window or one of its controls, pastes
// them (PasteFiles) and goes no further, so an edit box never sees it.
int RunMessageLoop(AppState* state);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
