// Prints the Dorrowin window as JSON (null without one): title, each control's screen centre and text. "close S" and
// "endsession S" end it in phase S (see EndIn); "dpi N" makes the window here and prints its layouts (see Dpi).
#include <windows.h>

#include <commctrl.h>
#include <winternl.h>

#include <cstdio>
#include <string>

#include "ui/layout.h"
#include "ui/win32/main_window.h"

// `out`, then the window's text as a JSON string: WM_GETTEXT, as GetWindowTextW reads no other process's edit box.
static std::string Text(std::string out, HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  char unit[8];
  out += '"';
  for (const wchar_t* p = text; *p != 0; ++p) out += (std::snprintf(unit, sizeof unit, "\\u%04x", unsigned(*p)), unit);
  return out + '"';
}

static void Click(HWND window, int id) {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// The process's GDI objects: GetGuiResources' count (0 under Wine), and the used entries of the PEB's GDI handle
// table (x64: offset 0xF8) owned by this process or by none (Wine records no owner).
static std::string GdiObjects() {
  struct Entry { UINT64 object; USHORT process, count, unique; UCHAR type, flags; UINT64 user; };
  auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
  const Entry* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8);
  int used = 0;
  for (int i = 0; table != nullptr && i < 0x10000; ++i)
    used += table[i].type != 0 && (table[i].process == 0 || table[i].process == USHORT(GetCurrentProcessId()));
  return "[" + std::to_string(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) + "," + std::to_string(used) + "]";
}

// One layout as "dpi N" prints it; a setting label is clicked round until its first text is back.
static void Layout(const AppState& state, const char* separator, const RECT* suggested = nullptr) {
  HWND window = state.window->handle;
  bool compact = state.settings.compactLayout;
  RECT client{}, r{}, extent{};
  MINMAXINFO limits{};
  for (MSG m{}; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);  // painted, as a running window is
  std::string gdi = GdiObjects(), asked = "null";
  if (suggested)
    asked = "[" + std::to_string(suggested->left) + "," + std::to_string(suggested->top) + "," +
            std::to_string(suggested->right) + "," + std::to_string(suggested->bottom) + "]";
  GetClientRect(window, &client), GetWindowRect(window, &r);
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  std::printf("%s{\"dpi\":%d,\"client\":[%ld,%ld],\"window\":[%ld,%ld],\"rect\":[%ld,%ld,%ld,%ld],\"suggested\":%s,"
              "\"minimum\":[%ld,%ld],\"tooltip\":%d,\"gdi\":%s", separator, state.window->dpi, client.right,
              client.bottom, r.right - r.left, r.bottom - r.top, r.left, r.top, r.right, r.bottom, asked.c_str(),
              limits.ptMinTrackSize.x, limits.ptMinTrackSize.y,
              int(SendMessageW(state.window->tooltip, TTM_GETMAXTIPWIDTH, 0, 0)), gdi.c_str());
  for (int id = kFirstControlId; id <= kLastControlId; ++id) {
    HWND control = GetDlgItem(window, id);
    HDC dc = GetDC(control);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), old = SelectObject(dc, font);
    LOGFONTW made{};
    wchar_t first[256] = {}, text[256] = {};
    GetObjectW(font, sizeof made, &made), GetClientRect(control, &client), GetWindowTextW(control, first, 256);
    GetWindowRect(control, &r), MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    std::printf(",\"%d\":{\"at\":[%ld,%ld,%ld,%ld],\"font\":%ld,\"texts\":[", id, r.left, r.top, r.right - r.left,
                r.bottom - r.top, made.lfHeight);
    bool setting = !compact && (id <= 10002 || (id >= 10008 && id <= 10011) || id == 10023);
    for (const char* comma = "";; comma = ",") {
      DrawTextW(dc, text, GetWindowTextW(control, text, 256), &extent, DT_CALCRECT | DT_NOPREFIX);
      std::printf("%s[%ld,%ld,%ld,%ld,%s]", comma, extent.right, extent.bottom, client.right, client.bottom,
                  Text("", control).c_str());
      if (!setting || (Click(window, id), GetWindowTextW(control, text, 256), std::wstring(text) == first)) break;
    }
    SelectObject(dc, old), ReleaseDC(control, dc), std::printf("]}");
  }
  std::printf("}");
}

// The layouts compact, full; after a WM_DPICHANGED to dpi (the size asked for, 40 right and 30 down) full, compact;
// after one back compact, full; after another change and back, full.
static int Dpi(WPARAM dpi) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  MainWindow window{};
  AppState state{.window = &window};
  RegisterMainWindowClass(instance);
  if (!CreateMainWindow(&state, instance)) return 1;
  std::printf("["), Layout(state, ""), Click(window.handle, 10017), Layout(state, ",");
  auto change = [&](WPARAM to) {  // as the system sends it
    SIZE size{};
    RECT r{};
    SendMessageW(window.handle, WM_GETDPISCALEDSIZE, to, reinterpret_cast<LPARAM>(&size)), GetWindowRect(window.handle, &r);
    r = RECT{r.left + 40, r.top + 30, r.left + 40 + size.cx, r.top + 30 + size.cy};
    SendMessageW(window.handle, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&r));
    return r;
  };
  for (WPARAM to : {dpi, static_cast<WPARAM>(window.dpi)}) {
    RECT r = change(to);
    Layout(state, ",", &r), Click(window.handle, 10017), Layout(state, ",");
  }
  change(dpi), change(kDesignDpi), Layout(state, ",");  // and after a second change and back, the full layout again
  return std::printf("]") < 0 || !DestroyWindow(window.handle);
}

// Once the status shows the phase ("scanning", "copying"), posts WM_CLOSE ("close") or sends WM_ENDSESSION (a
// log-off), at once from here, printing "closed"; "missed" when the window closed first.
static int EndIn(const std::wstring& how, const std::wstring& phase) {
  bool seen = false;
  for (ULONGLONG end = GetTickCount64() + 120000; GetTickCount64() < end; Sleep(1)) {
    HWND main = FindWindowW(L"Dorrowin", nullptr);
    wchar_t status[64] = {};
    if (main == nullptr && seen) return std::puts("missed"), 1;
    seen = seen || main != nullptr;
    SendMessageW(GetDlgItem(main, 10003), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(status));
    if (main == nullptr || std::wstring(status) != (phase == L"copying" ? L"コピー中..." : L"作成中...")) continue;
    if (how == L"close") return std::puts(PostMessageW(main, WM_CLOSE, 0, 0) ? "closed" : "failed"), 0;
    return SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), std::puts("closed"), 0;
  }
  return std::puts("timeout"), 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc > 2) return std::wstring(argv[1]) == L"dpi" ? Dpi(std::wcstoul(argv[2], nullptr, 10)) : EndIn(argv[1], argv[2]);
  HWND main = FindWindowW(L"Dorrowin", nullptr);
  std::string out = Text("{\"title\":", main);
  for (int id = 10001; id <= 10023; ++id) {
    RECT r{};
    GetWindowRect(GetDlgItem(main, id), &r);
    std::string head = ",\"" + std::to_string(id) + "\":{\"at\":[" + std::to_string((r.left + r.right) / 2) + ",";
    out += Text(head + std::to_string((r.top + r.bottom) / 2) + "],\"text\":", GetDlgItem(main, id)) + "}";
  }
  return std::fputs(main == nullptr ? "null" : (out + "}").c_str(), stdout) < 0;
}
