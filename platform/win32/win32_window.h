#pragma once
// The Win32 objects behind the window layer: the user-interface code creates
// the main window, its controls and fonts into this record, and the layer's
// members act on the record they are given.

#include <windows.h>

#include "platform/window.h"

// The message that carries a job's report from the worker to the window.
constexpr UINT kJobReportMessage = WM_APP + 1;
// The status timer's id, armed by the window layer and met by the window procedure.
constexpr UINT_PTR kStatusTimerId = 1;

struct MainWindow {
  HWND handle;
  HWND controls[kLastControlId - kFirstControlId + 1];
  HWND tooltip;
  HFONT normalFont;
  HFONT smallFont;
  HFONT boldFont;
};

// A control's window; null for an id outside the 23.
HWND ControlHandle(const MainWindow* window, Control control);
void SetControlHandle(MainWindow* window, Control control, HWND handle);

// The window that owns what the program puts on the clipboard: the
// clipboard takes data only from an owner window. Null in the console tool.
void SetClipboardOwner(HWND owner);
