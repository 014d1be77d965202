#pragma once
// Start-up and the main window: the class, the window with its tooltip
// control, 23 child controls and three fonts, and the window procedure.

#include <windows.h>

#include "platform/win32/win32_window.h"
#include "resources/resource.h"
#include "ui/app_state.h"

void RegisterMainWindowClass(HINSTANCE instance);
// Everything from the main window to the start of a command-line job, into
// state->window; false only when the main window cannot be created. The
// window procedure finds the state through the window.
bool CreateMainWindow(AppState* state, HINSTANCE instance);
// The outer size of the main window for a layout's client area at a DPI.
SIZE LayoutWindowSize(HWND window, bool compact, int32_t dpi);
// The window moved to a monitor of another DPI (or its scale changed): the
// controls, fonts, icons and tooltip are remade for the new DPI in place, and
// the window takes the rectangle the system suggests.
void RescaleMainWindow(AppState* state, int32_t dpi, const RECT* suggested);
// Runs until the quit message; returns its exit code. A paste key with
// files on the clipboard, on the main window or one of its controls, pastes
// them (PasteFiles) and goes no further, so an edit box never sees it.
int RunMessageLoop(AppState* state);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
