// window_probe: prints the Dorrowin window as JSON for the end-to-end tests, null without one: its title, the message
// box shown as [caption, text (id 0xFFFF)] or null, each control's screen centre and text. "close" posts it WM_CLOSE;
// "endsession" sends it WM_ENDSESSION (a log-off) and returns once it has been handled.
#include <windows.h>

#include <cstdio>
#include <string>

// `out`, then the window's text as a JSON string: WM_GETTEXT, as GetWindowTextW reads no other process's edit box.
static std::string Text(std::string out, HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  char unit[8];
  out += '"';
  for (const wchar_t* p = text; *p != 0; ++p) out += (std::snprintf(unit, sizeof unit, "\\u%04x", unsigned(*p)), unit);
  return out + '"';
}

int wmain(int argc, wchar_t** argv) {
  HWND main = FindWindowW(L"Dorrowin", nullptr), box = FindWindowW(L"#32770", nullptr);  // #32770: a message box
  if (argc > 1 && std::wstring(argv[1]) == L"endsession") return SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  if (argc > 1) return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
  std::string out = Text("{\"title\":", main) + ",\"box\":" +
                    (IsWindowVisible(box) ? Text("[", box) + Text(",", GetDlgItem(box, 0xFFFF)) + "]" : "null");
  for (int id = 10001; id <= 10023; ++id) {
    RECT r{};
    GetWindowRect(GetDlgItem(main, id), &r);
    std::string head = ",\"" + std::to_string(id) + "\":{\"at\":[" + std::to_string((r.left + r.right) / 2) + ",";
    out += Text(head + std::to_string((r.top + r.bottom) / 2) + "],\"text\":", GetDlgItem(main, id)) + "}";
  }
  return std::fputs(main == nullptr ? "null" : (out + "}").c_str(), stdout) < 0;
}
