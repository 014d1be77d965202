// The main window's procedure: one handler per message it acts on, the rest
// to the default procedure (so WM_CLOSE destroys the window).

#include "job/job_worker.h"
#include "platform/win32/win32_window.h"
#include "ui/commands.h"
#include "ui/layout.h"
#include "ui/win32/main_window.h"

namespace {

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  int32_t controlId = LOWORD(wParam);
  int32_t notifyCode = HIWORD(wParam);
  if (RouteCommand(controlId, notifyCode) == CommandOutcome::NotHandled) {
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
  }
  return 0;
}

// Timer 1 is the status timer: the idle text comes back once.
LRESULT OnTimer(WPARAM timerId) {
  if (timerId == kStatusTimerId) OnStatusTimer();
  return 0;
}

// The job takes the drop over: it is released by the job, or at once when a
// job is already running.
LRESULT OnDropFiles(WPARAM drop) {
  StartWindowJob(reinterpret_cast<DropHandle>(drop));
  return 0;
}

// The worker's report of its phases: the window's thread shows them.
LRESULT OnJobReportMessage(WPARAM report) {
  OnJobReport(static_cast<int32_t>(report));
  return 0;
}

// Black text on the window colour, and no background of the control's own.
LRESULT OnCtlColorStatic(WPARAM deviceContext) {
  HDC dc = reinterpret_cast<HDC>(deviceContext);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

// Nothing is drawn; painting only validates the area.
LRESULT OnPaint(HWND window) {
  PAINTSTRUCT paint{};
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
  return 0;
}

// The default procedure fills in the limits, then the smallest size becomes
// that of the compact layout. Left to the default, the system's minimum for
// captioned windows would widen the compact layout beyond its 80 x 70 client
// area, and the fit into the work area would be computed for a size the
// window does not have.
LRESULT OnGetMinMaxInfo(HWND window, WPARAM wParam, LPARAM lParam) {
  DefWindowProcW(window, WM_GETMINMAXINFO, wParam, lParam);
  RECT frame{0, 0, kCompactClientWidth, kCompactClientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize.x = frame.right - frame.left;
  info->ptMinTrackSize.y = frame.bottom - frame.top;
  return 0;
}

LRESULT OnDestroy() {
  PostQuitMessage(0);
  return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(window, wParam, lParam);
    case WM_TIMER:
      return OnTimer(wParam);
    case WM_DROPFILES:
      return OnDropFiles(wParam);
    case kJobReportMessage:
      return OnJobReportMessage(wParam);
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(wParam);
    case WM_PAINT:
      return OnPaint(window);
    case WM_GETMINMAXINFO:
      return OnGetMinMaxInfo(window, wParam, lParam);
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
