#include <windows.h>

#include <shellapi.h>

#include "platform/win32/win32_window.h"

namespace {

constexpr UINT kStatusTimerMs = 4000;

HWND g_mainWindow = nullptr;
HWND g_controls[kLastControlId - kFirstControlId + 1] = {};

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

int32_t Win32ControlTextLength(Control control) {
  return GetWindowTextLengthW(ControlHandle(control));
}

int32_t Win32ControlText(Control control, char16_t* buffer, int32_t capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = 0;
  return GetWindowTextW(ControlHandle(control), reinterpret_cast<wchar_t*>(buffer), capacity);
}

void Win32SetControlText(Control control, const char16_t* text) {
  SendMessageW(ControlHandle(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text)));
}

void Win32EnableControl(Control control, bool enabled) {
  EnableWindow(ControlHandle(control), enabled ? TRUE : FALSE);
}

void Win32ShowControl(Control control, bool shown) {
  ShowWindow(ControlHandle(control), shown ? SW_SHOWNORMAL : SW_HIDE);
}

void Win32MoveControl(Control control, int32_t x, int32_t y, int32_t width, int32_t height) {
  MoveWindow(ControlHandle(control), x, y, width, height, TRUE);
}

void Win32SetTopmost(bool topmost) {
  SetWindowPos(g_mainWindow, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Win32SetAlpha(uint8_t alpha) { SetLayeredWindowAttributes(g_mainWindow, 0, alpha, LWA_ALPHA); }

void Win32SetTitle(const char16_t* title) { SetWindowTextW(g_mainWindow, Wide(title)); }

WindowRect Win32WindowRect() {
  RECT r{};
  GetWindowRect(g_mainWindow, &r);
  return WindowRect{r.left, r.top, r.right, r.bottom};
}

void Win32MoveWindow(int32_t x, int32_t y, int32_t width, int32_t height, bool repaint) {
  MoveWindow(g_mainWindow, x, y, width, height, repaint ? TRUE : FALSE);
}

void Win32PlaceWindow(int32_t x, int32_t y) {
  SetWindowPos(g_mainWindow, nullptr, x, y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// The outer size for a client area, for the main window's own styles.
void Win32OuterSize(int32_t clientWidth, int32_t clientHeight, int32_t* width, int32_t* height) {
  RECT r{0, 0, clientWidth, clientHeight};
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(g_mainWindow, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(g_mainWindow, GWL_EXSTYLE));
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  *width = r.right - r.left;
  *height = r.bottom - r.top;
}

// The work area of the monitor that holds the window, so that a window on a
// second monitor is fitted there and not pulled onto the primary one.
WindowRect Win32WorkArea() {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromWindow(g_mainWindow, MONITOR_DEFAULTTONEAREST);
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
    return WindowRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  }
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return WindowRect{r.left, r.top, r.right, r.bottom};
}

void Win32AcceptDrops(bool accept) { DragAcceptFiles(g_mainWindow, accept ? TRUE : FALSE); }

void Win32ArmStatusTimer() { SetTimer(g_mainWindow, kStatusTimerId, kStatusTimerMs, nullptr); }

void Win32KillStatusTimer() { KillTimer(g_mainWindow, kStatusTimerId); }

void Win32PostClose() { PostMessageW(g_mainWindow, WM_CLOSE, 0, 0); }

void Win32Minimize() { ShowWindow(g_mainWindow, SW_MINIMIZE); }

void Win32PostJobReport(int32_t report) { PostMessageW(g_mainWindow, kJobReportMessage, static_cast<WPARAM>(report), 0); }

}  // namespace

void SetMainWindowHandle(HWND window) { g_mainWindow = window; }
HWND MainWindowHandle() { return g_mainWindow; }

void SetControlHandle(Control control, HWND window) {
  int32_t id = static_cast<int32_t>(control);
  if (id >= kFirstControlId && id <= kLastControlId) g_controls[id - kFirstControlId] = window;
}

HWND ControlHandle(Control control) {
  int32_t id = static_cast<int32_t>(control);
  if (id < kFirstControlId || id > kLastControlId) return nullptr;
  return g_controls[id - kFirstControlId];
}

WindowApi g_window{Win32ControlTextLength, Win32ControlText,    Win32SetControlText,
                   Win32EnableControl,     Win32ShowControl,    Win32MoveControl,
                   Win32SetTopmost,        Win32SetAlpha,       Win32SetTitle,
                   Win32WindowRect,        Win32MoveWindow,     Win32PlaceWindow,
                   Win32OuterSize,         Win32WorkArea,       Win32AcceptDrops,
                   Win32ArmStatusTimer,    Win32KillStatusTimer, Win32PostClose,
                   Win32PostJobReport,     Win32Minimize};
