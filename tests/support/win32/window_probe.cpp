#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <map>

#include "platform/win32/win32_window.h"
#include "tests/support/window_probe.h"

// A hidden main window of the probe's own with the 23 controls (EDIT boxes
// where the program has them, STATIC labels elsewhere). Each control is
// subclassed: WM_SETTEXT and WM_ENABLE reach the control's thread, so the
// subclass sees every write and every change, from whichever thread it came.

namespace {

constexpr Control kAllControls[] = {
    Control::PathFormLabel,     Control::ExtensionLabel,   Control::StatusLabel,
    Control::FilePrefixCaption, Control::FileSuffixCaption, Control::FilePrefixEdit,
    Control::FileSuffixEdit,    Control::ItemsLabel,       Control::FolderScanLabel,
    Control::TopmostLabel,      Control::TranslucentLabel, Control::CreditLabel,
    Control::CancelButton,      Control::MinimizeButton,   Control::SaveButton,
    Control::DeleteButton,      Control::LayoutButton,     Control::HelpButton,
    Control::FolderPrefixEdit,  Control::FolderSuffixEdit, Control::FolderPrefixCaption,
    Control::FolderSuffixCaption, Control::SeparatorLabel,
};
constexpr int kControlCount = sizeof(kAllControls) / sizeof(kAllControls[0]);

bool IsEdit(Control control) {
  return control == Control::FilePrefixEdit || control == Control::FileSuffixEdit ||
         control == Control::FolderPrefixEdit || control == Control::FolderSuffixEdit;
}

HWND g_probeWindow = nullptr;
HWND g_probeControls[kControlCount] = {};
std::map<HWND, WNDPROC> g_originalProcs;
std::map<HWND, Control> g_controlOf;

HWND g_savedWindow = nullptr;
HWND g_savedControls[kControlCount] = {};
bool g_saved = false;

struct TextWrite {
  Control control;
  std::u16string text;
};
std::vector<TextWrite> g_textWrites;
std::vector<EnableChange> g_enableChanges;

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto control = g_controlOf.find(window);
  if (control != g_controlOf.end()) {
    if (message == WM_SETTEXT && lParam != 0) {
      g_textWrites.push_back(TextWrite{control->second, reinterpret_cast<const char16_t*>(lParam)});
    } else if (message == WM_ENABLE) {
      g_enableChanges.push_back(EnableChange{control->second, wParam != 0});
    }
  }
  return CallWindowProcW(g_originalProcs[window], window, message, wParam, lParam);
}

// A posted close must not destroy the probe's window, and the window takes
// whatever size the layout gives it, however small.
LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  if (message == WM_GETMINMAXINFO) {
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{1, 1};
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void CreateProbeWindow() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"DorrowinProbeWindow";
  RegisterClassExW(&windowClass);
  g_probeWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_LAYERED,
                                  L"DorrowinProbeWindow", L"", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 100,
                                  100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetLayeredWindowAttributes(g_probeWindow, 0, 255, LWA_ALPHA);
  for (int i = 0; i < kControlCount; ++i) {
    Control control = kAllControls[i];
    HWND child = CreateWindowExW(IsEdit(control) ? WS_EX_CLIENTEDGE : 0, IsEdit(control) ? L"EDIT" : L"STATIC", L"",
                                 WS_CHILD | WS_VISIBLE | (IsEdit(control) ? ES_AUTOHSCROLL : SS_NOTIFY), 0, 0, 40,
                                 20, g_probeWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control)),
                                 GetModuleHandleW(nullptr), nullptr);
    g_probeControls[i] = child;
    g_controlOf[child] = control;
    g_originalProcs[child] =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
  }
}

HWND Handle(Control control) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kAllControls[i] == control) return g_probeControls[i];
  }
  return nullptr;
}

}  // namespace

void ResetWindowProbe() {
  if (g_probeWindow == nullptr) CreateProbeWindow();
  if (!g_saved) {
    g_savedWindow = MainWindowHandle();
    for (int i = 0; i < kControlCount; ++i) g_savedControls[i] = ControlHandle(kAllControls[i]);
    g_saved = true;
  }
  SetMainWindowHandle(g_probeWindow);
  for (int i = 0; i < kControlCount; ++i) {
    SetControlHandle(kAllControls[i], g_probeControls[i]);
    SetWindowTextW(g_probeControls[i], L"");
    ShowWindow(g_probeControls[i], SW_SHOWNORMAL);
    EnableWindow(g_probeControls[i], kAllControls[i] == Control::CancelButton ? FALSE : TRUE);
  }
  SetWindowPos(g_probeWindow, HWND_TOPMOST, 0, 0, 100, 100, SWP_NOACTIVATE);
  SetLayeredWindowAttributes(g_probeWindow, 0, 255, LWA_ALPHA);
  SetWindowTextW(g_probeWindow, L"");
  DragAcceptFiles(g_probeWindow, TRUE);
  KillTimer(g_probeWindow, 1);
  TakeCloseRequests();
  g_textWrites.clear();
  g_enableChanges.clear();
}

void RestoreWindowProbe() {
  if (!g_saved) return;
  KillTimer(g_probeWindow, 1);
  SetMainWindowHandle(g_savedWindow);
  for (int i = 0; i < kControlCount; ++i) SetControlHandle(kAllControls[i], g_savedControls[i]);
  g_saved = false;
}

std::vector<std::u16string> TextWritesTo(Control control) {
  std::vector<std::u16string> texts;
  for (const TextWrite& write : g_textWrites) {
    if (write.control == control) texts.push_back(write.text);
  }
  return texts;
}

std::vector<EnableChange> EnableChanges() { return g_enableChanges; }

std::u16string ControlTextNow(Control control) {
  HWND window = Handle(control);
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  return std::u16string(text.begin(), text.begin() + got);
}

bool ControlEnabledNow(Control control) { return IsWindowEnabled(Handle(control)) != FALSE; }

bool ControlShownNow(Control control) {
  return (GetWindowLongPtrW(Handle(control), GWL_STYLE) & WS_VISIBLE) != 0;
}

WindowRect ControlRectNow(Control control) {
  RECT r{};
  GetWindowRect(Handle(control), &r);
  MapWindowPoints(nullptr, g_probeWindow, reinterpret_cast<POINT*>(&r), 2);
  return WindowRect{r.left, r.top, r.right, r.bottom};
}

bool DropsAcceptedNow() { return (GetWindowLongPtrW(g_probeWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

bool WindowTopmostNow() { return (GetWindowLongPtrW(g_probeWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

int WindowAlphaNow() {
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(g_probeWindow, &key, &alpha, &flags)) return -1;
  return alpha;
}

std::u16string WindowTitleNow() {
  wchar_t text[256] = {};
  int got = GetWindowTextW(g_probeWindow, text, 256);
  return std::u16string(text, text + got);
}

bool TakeStatusTimer() { return KillTimer(g_probeWindow, 1) != FALSE; }

int TakeCloseRequests() {
  int count = 0;
  MSG message;
  while (PeekMessageW(&message, g_probeWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++count;
  return count;
}

// Only sent messages are answered; posted ones stay queued for the test.
bool PumpUntil(const std::function<bool()>& done) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
  }
  return true;
}
