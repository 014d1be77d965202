#pragma once
// The Win32 objects behind the window layer, which the user-interface code
// creates into a MainWindow record.

#include <windows.h>

#include <memory>
#include <type_traits>

#include "platform/window.h"

// The message that carries a job's report from the worker to the window.
constexpr UINT kJobReportMessage = WM_APP + 1;
constexpr UINT_PTR kStatusTimerId = 1;

// An owner of a system object that the system's Free ends.
template <auto Free>
struct FreeWith {
  void operator()(auto* object) const { Free(object); }
};
// The fonts and icons the window makes, ended after the controls and the
// window that used them.
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FreeWith<DeleteObject>>;
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, FreeWith<DestroyIcon>>;

// What the window makes for its DPI (null icons: the class's).
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

// GetDpiForWindow where the system has it, else the system DPI.
int32_t WindowDpi(HWND window);
// The outer size of a window with the styles of `window` for a client area.
void OuterSizeForDpi(HWND window, int32_t clientWidth, int32_t clientHeight, int32_t dpi, int32_t* width,
                     int32_t* height);
// A system metric (SM_CXICON, ...) at a DPI.
int32_t SystemMetricForDpi(int metric, int32_t dpi);

// The clipboard takes data only from an owner window. Null in the console tool.
void SetClipboardOwner(HWND owner);

// Tests make it refuse, as the system may after EmptyClipboard.
extern HANDLE(WINAPI* g_setClipboardData)(UINT format, HANDLE data);
