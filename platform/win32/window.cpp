#include <windows.h>

#include <shellapi.h>

#include "platform/win32/win32_window.h"

namespace {

constexpr UINT kStatusTimerMs = 4000;

// A user32 function that older Windows lacks, looked up at run time (null
// where missing), through the generic function type that converts to any.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  FARPROC address = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The DPI of the primary monitor at log-on, which windows have where the
// system knows no DPI per window.
int32_t SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return USER_DEFAULT_SCREEN_DPI;
  int32_t dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

WindowRect Rect(const RECT& r) { return WindowRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

int32_t WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<decltype(&GetDpiForWindow)>("GetDpiForWindow");
  UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi != 0 ? static_cast<int32_t>(dpi) : SystemDpi();
}

// Before AdjustWindowRectExForDpi (Windows 10 1607) the system draws every
// frame at the system DPI.
void OuterSizeForDpi(HWND window, int32_t clientWidth, int32_t clientHeight, int32_t dpi, int32_t* width,
                     int32_t* height) {
  static const auto adjustForDpi = User32Function<decltype(&AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
  RECT r{0, 0, clientWidth, clientHeight};
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (adjustForDpi == nullptr || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    r = RECT{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  *width = r.right - r.left;
  *height = r.bottom - r.top;
}

// Before GetSystemMetricsForDpi (Windows 10 1607) the metrics are the system
// DPI's.
int32_t SystemMetricForDpi(int metric, int32_t dpi) {
  static const auto metricForDpi = User32Function<decltype(&GetSystemMetricsForDpi)>("GetSystemMetricsForDpi");
  return metricForDpi != nullptr ? metricForDpi(metric, static_cast<UINT>(dpi)) : GetSystemMetrics(metric);
}

void SetControlHandle(MainWindow* window, Control control, HWND handle) {
  int32_t id = static_cast<int32_t>(control);
  if (id >= kFirstControlId && id <= kLastControlId) window->controls[id - kFirstControlId] = handle;
}

HWND ControlHandle(const MainWindow* window, Control control) {
  int32_t id = static_cast<int32_t>(control);
  return id >= kFirstControlId && id <= kLastControlId ? window->controls[id - kFirstControlId] : nullptr;
}

// Each member acts on the record it is given.
WindowApi g_window{
    .controlTextLength = [](MainWindow* window, Control control) -> int32_t {
      return GetWindowTextLengthW(ControlHandle(window, control));
    },
    .controlText = [](MainWindow* window, Control control, char16_t* buffer, int32_t capacity) -> int32_t {
      if (capacity <= 0) return 0;
      buffer[0] = 0;
      return GetWindowTextW(ControlHandle(window, control), reinterpret_cast<wchar_t*>(buffer), capacity);
    },
    .setControlText = [](MainWindow* window, Control control, const char16_t* text) {
      SendMessageW(ControlHandle(window, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    },
    .enableControl = [](MainWindow* window, Control control, bool enabled) {
      EnableWindow(ControlHandle(window, control), enabled ? TRUE : FALSE);
    },
    .showControl = [](MainWindow* window, Control control, bool shown) {
      ShowWindow(ControlHandle(window, control), shown ? SW_SHOWNORMAL : SW_HIDE);
    },
    .moveControl = [](MainWindow* window, Control control, int32_t x, int32_t y, int32_t width, int32_t height) {
      MoveWindow(ControlHandle(window, control), x, y, width, height, TRUE);
    },
    .setTopmost = [](MainWindow* window, bool topmost) {
      SetWindowPos(window->handle, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    },
    .setAlpha = [](MainWindow* window, uint8_t alpha) {
      SetLayeredWindowAttributes(window->handle, 0, alpha, LWA_ALPHA);
    },
    .setTitle = [](MainWindow* window, const char16_t* title) {
      SetWindowTextW(window->handle, reinterpret_cast<const wchar_t*>(title));
    },
    .windowRect = [](MainWindow* window) {
      RECT r{};
      GetWindowRect(window->handle, &r);
      return Rect(r);
    },
    .moveWindow = [](MainWindow* window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint) {
      MoveWindow(window->handle, x, y, width, height, repaint ? TRUE : FALSE);
    },
    .placeWindow = [](MainWindow* window, int32_t x, int32_t y) {
      SetWindowPos(window->handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    },
    .outerSize = [](MainWindow* window, int32_t clientWidth, int32_t clientHeight, int32_t* width, int32_t* height) {
      OuterSizeForDpi(window->handle, clientWidth, clientHeight, window->dpi, width, height);
    },
    // The monitor's that holds the window, so that a window on a second
    // monitor is fitted there and not pulled onto the primary one.
    .workArea = [](MainWindow* window) {
      MONITORINFO info{};
      info.cbSize = sizeof(info);
      HMONITOR monitor = MonitorFromWindow(window->handle, MONITOR_DEFAULTTONEAREST);
      if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) return Rect(info.rcWork);
      RECT r{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
      return Rect(r);
    },
    .acceptDrops = [](MainWindow* window, bool accept) { DragAcceptFiles(window->handle, accept ? TRUE : FALSE); },
    .armStatusTimer = [](MainWindow* window) { SetTimer(window->handle, kStatusTimerId, kStatusTimerMs, nullptr); },
    .killStatusTimer = [](MainWindow* window) { KillTimer(window->handle, kStatusTimerId); },
    .postClose = [](MainWindow* window) { PostMessageW(window->handle, WM_CLOSE, 0, 0); },
    .postJobReport = [](MainWindow* window, int32_t report) {
      PostMessageW(window->handle, kJobReportMessage, static_cast<WPARAM>(report), 0);
    },
    .minimize = [](MainWindow* window) { ShowWindow(window->handle, SW_MINIMIZE); },
    .dpi = [](MainWindow* window) { return window->dpi; },
};
