// The main window's procedure: one handler per message it acts on, the rest
// to the default procedure (so WM_CLOSE destroys the window).

#include "platform/win32/win32_window.h"
#include "ui/commands.h"
#include "ui/layout.h"
#include "ui/win32/main_window.h"
#include "ui/window_job.h"

namespace {

// The state comes with the window's creation, kept in its user data.
LRESULT OnNcCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  auto* state = static_cast<AppState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  state->window->dpi = WindowDpi(window);
  return DefWindowProcW(window, WM_NCCREATE, wParam, lParam);
}

LRESULT OnCommand(AppState* state, HWND window, WPARAM wParam, LPARAM lParam) {
  bool handled = RouteCommand(state, LOWORD(wParam), HIWORD(wParam)) == CommandOutcome::Handled;
  return handled ? 0 : DefWindowProcW(window, WM_COMMAND, wParam, lParam);
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

// Asked before WM_DPICHANGED: the layout's client area at the new DPI in
// that DPI's frame. The default scales the whole window, frame included,
// and would miss the layout by a few pixels.
LRESULT OnGetDpiScaledSize(const AppState* state, HWND window, WPARAM dpi, LPARAM size) {
  *reinterpret_cast<SIZE*>(size) = LayoutWindowSize(window, state->settings.compactLayout, static_cast<int32_t>(dpi));
  return TRUE;
}

// The smallest size is the compact layout's at the window's DPI: the
// system's minimum for captioned windows would widen it beyond its client
// area, and the fit into the work area would be for a size it does not have.
LRESULT OnGetMinMaxInfo(const AppState* state, HWND window, WPARAM wParam, LPARAM lParam) {
  DefWindowProcW(window, WM_GETMINMAXINFO, wParam, lParam);
  SIZE compact = LayoutWindowSize(window, true, state != nullptr ? state->window->dpi : WindowDpi(window));
  reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{compact.cx, compact.cy};
  return 0;
}

// Every way of closing ends here: a running job is cancelled and joined.
LRESULT OnDestroy(AppState* state) {
  EndWindowJob(state);
  PostQuitMessage(0);
  return 0;
}

}  // namespace

// Messages that come before WM_NCCREATE (WM_GETMINMAXINFO) find no state yet.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AppState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) return OnNcCreate(window, wParam, lParam);
  if (message == WM_GETMINMAXINFO) return OnGetMinMaxInfo(state, window, wParam, lParam);
  if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_GETDPISCALEDSIZE:
      return OnGetDpiScaledSize(state, window, wParam, lParam);
    case WM_DPICHANGED:  // the contents remade for the new DPI (the same for x and y) in the suggested rectangle
      RescaleMainWindow(state, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      return OnCommand(state, window, wParam, lParam);
    case WM_TIMER:  // the status timer brings the idle text back once
      if (wParam == kStatusTimerId) OnStatusTimer(state);
      return 0;
    case WM_DROPFILES:  // the job takes the drop over (and releases it at once when a job runs)
      StartJob(state, reinterpret_cast<DropHandle>(wParam));
      return 0;
    case kJobReportMessage:  // the worker's report of its phases, shown on the window's thread
      OnJobReport(state, static_cast<int32_t>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(wParam);
    case WM_PAINT:
      return OnPaint(window);
    case WM_ENDSESSION:  // log-off or shutdown: the process may end once this returns, so the job ends here
      if (wParam) EndWindowJob(state);
      return 0;
    case WM_DESTROY:
      return OnDestroy(state);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
