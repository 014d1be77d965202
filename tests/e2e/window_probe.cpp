// window_probe: reads a running Dorrowin window from outside for the
// end-to-end tests and prints it as JSON.
//   window_probe state    the main window and its controls 10001-10023
//   window_probe dialogs  the visible message boxes: caption and texts
//   window_probe dismiss  the same, pressing OK in each
//   window_probe close    posts WM_CLOSE to the main window
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t ch : text) {
    char unit[8];
    std::snprintf(unit, sizeof(unit), "\\u%04x", static_cast<unsigned>(ch));
    out += unit;
  }
  return out + "\"";
}

// WM_GETTEXT crosses the process boundary; a hung window gives "".
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      2000, &copied);
  text.resize(copied);
  return text;
}

std::string Flag(bool value) { return value ? "true" : "false"; }

std::string State(HWND window) {
  if (window == nullptr) return "{\"found\":false}";
  RECT r{}, client{};
  GetWindowRect(window, &r);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  GetLayeredWindowAttributes(window, &key, &alpha, &flags);
  char head[320];
  std::snprintf(head, sizeof(head),
                "{\"found\":true,\"visible\":%s,\"minimized\":%s,\"rect\":[%ld,%ld,%ld,%ld],\"client\":[%ld,%ld],"
                "\"origin\":[%ld,%ld],\"exStyle\":%lu,\"alpha\":%u,\"title\":",
                Flag(IsWindowVisible(window)).c_str(), Flag(IsIconic(window)).c_str(), r.left, r.top, r.right,
                r.bottom, client.right, client.bottom, origin.x, origin.y,
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)), alpha);
  std::string out = head + Quote(TextOf(window)) + ",\"controls\":{";
  for (int id = 10001; id <= 10023; ++id) {
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) continue;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    std::snprintf(head, sizeof(head), "%s\"%d\":{\"visible\":%s,\"enabled\":%s,\"rect\":[%ld,%ld,%ld,%ld],\"text\":",
                  id == 10001 ? "" : ",", id, Flag(IsWindowVisible(control)).c_str(),
                  Flag(IsWindowEnabled(control)).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top);
    out += head + Quote(TextOf(control)) + "}";
  }
  return out + "}}";
}

struct Dialogs {
  std::string json = "[";
  bool dismiss;
};

BOOL CALLBACK CollectText(HWND window, LPARAM context) {
  auto* out = reinterpret_cast<std::string*>(context);
  std::wstring text = TextOf(window);
  if (IsWindowVisible(window) && !text.empty()) *out += (out->back() == '[' ? "" : ",") + Quote(text);
  return TRUE;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  auto* list = reinterpret_cast<Dialogs*>(context);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  list->json += (list->json.size() > 1 ? ",{\"caption\":" : "{\"caption\":") + Quote(TextOf(window)) + ",\"texts\":[";
  EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&list->json));
  list->json += "]}";
  if (list->dismiss) PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc >= 2 ? argv[1] : L"";
  HWND main = FindWindowW(L"Dorrowin", nullptr);
  std::string out;
  if (command == L"state") {
    out = State(main);
  } else if (command == L"dialogs" || command == L"dismiss") {
    Dialogs list{"[", command == L"dismiss"};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&list));
    out = list.json + "]";
  } else if (command == L"close") {
    return main != nullptr && PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
  } else {
    return 64;
  }
  out += "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  return 0;
}
