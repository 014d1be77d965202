#pragma once
// Start-up and the main window: its class, controls, fonts and procedure.

#include <windows.h>

#include "platform/win32/win32_window.h"
#include "resources/resource.h"
#include "ui/app_state.h"

void RegisterMainWindowClass(HINSTANCE instance);
// Everything up to a command-line job's start; false when there is no window.
bool CreateMainWindow(AppState* state, HINSTANCE instance);
// The outer size of the main window for a layout's client area at a DPI.
SIZE LayoutWindowSize(HWND window, bool compact, int32_t dpi);
// The contents remade in place for a new DPI, in the rectangle the system suggests.
void RescaleMainWindow(AppState* state, int32_t dpi, const RECT* suggested);
// Runs until the quit message. A paste key with files on the clipboard pastes
// them (PasteFiles) and goes no further, so an edit box never sees it.
int RunMessageLoop(AppState* state);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
