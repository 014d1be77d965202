#pragma once
// The Win32 handles behind the window layer: the user-interface code
// registers the main window and its controls as it creates them.

#include <windows.h>

#include "platform/window.h"

// The message that carries a job's report from the worker to the window.
constexpr UINT kJobReportMessage = WM_APP + 1;
// The status timer's id, armed by the window layer and met by the window procedure.
constexpr UINT_PTR kStatusTimerId = 1;

void SetMainWindowHandle(HWND window);
HWND MainWindowHandle();
void SetControlHandle(Control control, HWND window);
HWND ControlHandle(Control control);
