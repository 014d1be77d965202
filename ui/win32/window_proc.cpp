// The main window's procedure: what it acts on, the rest to the default
// procedure (so WM_CLOSE destroys the window).

#include "platform/win32/win32_window.h"
#include "ui/commands.h"
#include "ui/layout.h"
#include "ui/win32/main_window.h"
#include "ui/window_job.h"

// The state comes with WM_NCCREATE and is kept in the window's user data;
// messages before it (WM_GETMINMAXINFO) find none.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AppState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    state = static_cast<AppState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->window->dpi = WindowDpi(window);
  } else if (message == WM_GETMINMAXINFO) {
    // The smallest size is the compact layout's at the window's DPI: the
    // system's minimum for captioned windows would widen it beyond its client
    // area, and the fit into the work area would be for a size it does not have.
    DefWindowProcW(window, message, wParam, lParam);
    SIZE compact = LayoutWindowSize(window, true, state != nullptr ? state->window->dpi : WindowDpi(window));
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{compact.cx, compact.cy};
    return 0;
  }
  if (state == nullptr || message == WM_NCCREATE) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    // Before WM_DPICHANGED: the layout's client area in the frame for the new DPI; the default
    // would scale the whole window, frame included, and miss the layout by a few pixels.
    case WM_GETDPISCALEDSIZE:
      *reinterpret_cast<SIZE*>(lParam) =
          LayoutWindowSize(window, state->settings.compactLayout, static_cast<int32_t>(wParam));
      return TRUE;
    case WM_DPICHANGED:  // the contents remade for the new DPI (the same for x and y) in the suggested rectangle
      RescaleMainWindow(state, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      if (RouteCommand(state, LOWORD(wParam), HIWORD(wParam)) == CommandOutcome::Handled) return 0;
      break;
    case WM_TIMER:  // the status timer brings the idle text back once
      if (wParam == kStatusTimerId) OnStatusTimer(state);
      return 0;
    case WM_DROPFILES:  // the job takes the drop over (and releases it at once when a job runs)
      StartJob(state, reinterpret_cast<DropHandle>(wParam));
      return 0;
    case kJobReportMessage:  // the worker's report of its phases, shown on the window's thread
      OnJobReport(state, static_cast<int32_t>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:  // black text on the window colour, and no background of the control's own
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    case WM_PAINT: {  // nothing is drawn; painting only validates the area
      PAINTSTRUCT paint{};
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ENDSESSION:  // log-off or shutdown: the process may end once this returns, so the job ends here
      if (wParam) EndWindowJob(state);
      return 0;
    case WM_DESTROY:  // every way of closing ends here: a running job is cancelled and waited for
      EndWindowJob(state);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
