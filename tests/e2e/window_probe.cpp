// window_probe: reads a running Dorrowin window from outside for the
// end-to-end tests and prints it as JSON.
//   window_probe state    the main window and its controls 10001-10023
//   window_probe dialogs  the message box shown, as [[caption, text]], or []
//   window_probe dismiss  the same, pressing its OK
//   window_probe close    posts WM_CLOSE to the main window
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// WM_GETTEXT, as GetWindowTextW reads no edit box of another process.
std::string Text(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  std::string out = "\"";
  for (const wchar_t* unit = text; *unit != 0; ++unit) {
    char escaped[8];
    std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(*unit));
    out += escaped;
  }
  return out + "\"";
}

const char* Flag(BOOL value) { return value ? "true" : "false"; }

std::string State(HWND window) {
  if (window == nullptr) return "{\"found\":false}";
  RECT r{}, client{};
  GetWindowRect(window, &r);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  BYTE alpha = 0;
  GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
  char head[320];
  std::snprintf(head, sizeof(head),
                "{\"found\":true,\"visible\":%s,\"minimized\":%s,\"rect\":[%ld,%ld,%ld,%ld],\"client\":[%ld,%ld],"
                "\"origin\":[%ld,%ld],\"exStyle\":%lu,\"alpha\":%u,\"title\":",
                Flag(IsWindowVisible(window)), Flag(IsIconic(window)), r.left, r.top, r.right, r.bottom, client.right,
                client.bottom, origin.x, origin.y, static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
                alpha);
  std::string out = head + Text(window) + ",\"controls\":{";
  for (int id = 10001; id <= 10023; ++id) {
    HWND control = GetDlgItem(window, id);
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    std::snprintf(head, sizeof(head), "%s\"%d\":{\"visible\":%s,\"enabled\":%s,\"rect\":[%ld,%ld,%ld,%ld],\"text\":",
                  id == 10001 ? "" : ",", id, Flag(IsWindowVisible(control)), Flag(IsWindowEnabled(control)), r.left,
                  r.top, r.right - r.left, r.bottom - r.top);
    out += head + Text(control) + "}";
  }
  return out + "}}";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc >= 2 ? argv[1] : L"";
  HWND main = FindWindowW(L"Dorrowin", nullptr);
  if (command == L"close") return main != nullptr && PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
  std::string out = "[]\n";
  HWND box = FindWindowW(L"#32770", nullptr);  // a message box; Wine and Windows give its text the id 0xFFFF
  if (command == L"state") {
    out = State(main) + "\n";
  } else if (box != nullptr && IsWindowVisible(box)) {
    out = "[[" + Text(box) + "," + Text(GetDlgItem(box, 0xFFFF)) + "]]\n";
    if (command == L"dismiss") PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  return 0;
}
