#pragma once
// The Win32 objects behind the window layer: the user-interface code creates
// the main window, its controls and fonts into this record, and the layer's
// members act on the record they are given.

#include <windows.h>

#include <memory>
#include <type_traits>

#include "platform/window.h"

// The message that carries a job's report from the worker to the window.
constexpr UINT kJobReportMessage = WM_APP + 1;
// The status timer's id, armed by the window layer and met by the window procedure.
constexpr UINT_PTR kStatusTimerId = 1;

// Owners of the fonts and icons the window makes: each ends its object when
// the owner ends, after the controls and the window that used it.
struct DeleteGdiObject {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteGdiObject>;
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIconHandle>;

// What the window makes for its DPI: three fonts and its two icons (null:
// the class's icons).
struct DpiObjects {
  OwnedFont normalFont, smallFont, boldFont;
  OwnedIcon bigIcon, smallIcon;
};

struct MainWindow {
  HWND handle;
  HWND controls[kLastControlId - kFirstControlId + 1];
  HWND tooltip;
  DpiObjects objects;
  // The DPI the controls, fonts and icons are made for.
  int32_t dpi;
};

// A control's window; null for an id outside the 23.
HWND ControlHandle(const MainWindow* window, Control control);
void SetControlHandle(MainWindow* window, Control control, HWND handle);

// The DPI of a window: GetDpiForWindow where the system has it, else the
// system DPI.
int32_t WindowDpi(HWND window);
// The outer size of a window with the styles of `window` for a client area,
// at a DPI.
void OuterSizeForDpi(HWND window, int32_t clientWidth, int32_t clientHeight, int32_t dpi, int32_t* width,
                     int32_t* height);
// A system metric (SM_CXICON, ...) at a DPI.
int32_t SystemMetricForDpi(int metric, int32_t dpi);

// The window that owns what the program puts on the clipboard: the
// clipboard takes data only from an owner window. Null in the console tool.
void SetClipboardOwner(HWND owner);

// The clipboard's SetClipboardData; tests make it refuse, as the system may
// after EmptyClipboard.
extern HANDLE(WINAPI* g_setClipboardData)(UINT format, HANDLE data);
