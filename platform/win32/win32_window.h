#pragma once
// The Win32 handles behind the window layer: the user-interface code
// registers the main window and its controls as it creates them.

#include <windows.h>

#include "platform/window.h"

void SetMainWindowHandle(HWND window);
HWND MainWindowHandle();
void SetControlHandle(Control control, HWND window);
HWND ControlHandle(Control control);
