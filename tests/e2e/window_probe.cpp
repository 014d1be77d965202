// window_probe: reads the state of a running Dorrowin window from outside,
// for the end-to-end tests, and prints it as one JSON object.
//   window_probe state    the main window and its 23 controls
//   window_probe tooltip  the visible tooltip windows and their texts
//   window_probe close    asks the main window to close (WM_CLOSE)
//   window_probe dialogs  the visible message boxes: caption, texts, buttons
//   window_probe dismiss  presses OK in every visible message box

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kFirstId = 10001;
constexpr int kLastId = 10023;
constexpr UINT kTimeoutMs = 2000;

void Write(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  char escape[8];
  for (wchar_t ch : text) {
    if (ch == L'"' || ch == L'\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch >= 0x20 && ch < 0x7F) {
      out += static_cast<char>(ch);
    } else {
      std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(ch));
      out += escape;
    }
  }
  return out + "\"";
}

std::string Number(long long value) { return std::to_string(value); }

// WM_GETTEXT crosses the process boundary; a hung window gives "".
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) {
    return std::wstring();
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

std::string RectJson(const RECT& r) {
  return "[" + Number(r.left) + "," + Number(r.top) + "," + Number(r.right) + "," + Number(r.bottom) + "]";
}

HWND FindMainWindow() { return FindWindowW(L"Dorrowin", nullptr); }

int State() {
  HWND window = FindMainWindow();
  if (window == nullptr) {
    Write("{\"found\":false}\n");
    return 0;
  }
  RECT outer{};
  GetWindowRect(window, &outer);
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  BOOL layered = GetLayeredWindowAttributes(window, &key, &alpha, &flags);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::string out = "{\"found\":true,\"title\":" + Quote(TextOf(window));
  out += ",\"visible\":" + std::string(IsWindowVisible(window) ? "true" : "false");
  out += ",\"minimized\":" + std::string(IsIconic(window) ? "true" : "false");
  out += ",\"rect\":" + RectJson(outer);
  out += ",\"client\":[" + Number(client.right) + "," + Number(client.bottom) + "]";
  out += ",\"origin\":[" + Number(origin.x) + "," + Number(origin.y) + "]";
  out += ",\"style\":" + Number(GetWindowLongW(window, GWL_STYLE) & 0xFFFFFFFFLL);
  out += ",\"exStyle\":" + Number(GetWindowLongW(window, GWL_EXSTYLE) & 0xFFFFFFFFLL);
  out += ",\"alpha\":" + Number(layered ? alpha : -1);
  out += ",\"controls\":{";
  for (int id = kFirstId; id <= kLastId; ++id) {
    HWND control = GetDlgItem(window, id);
    if (id != kFirstId) out += ",";
    out += "\"" + Number(id) + "\":";
    if (control == nullptr) {
      out += "null";
      continue;
    }
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    out += "{\"text\":" + Quote(TextOf(control));
    out += ",\"visible\":" + std::string(IsWindowVisible(control) ? "true" : "false");
    out += ",\"enabled\":" + std::string(IsWindowEnabled(control) ? "true" : "false");
    out += ",\"rect\":[" + Number(r.left) + "," + Number(r.top) + "," + Number(r.right - r.left) + "," +
           Number(r.bottom - r.top) + "]}";
  }
  out += "}}\n";
  Write(out);
  return 0;
}

BOOL CALLBACK CollectTooltip(HWND window, LPARAM context) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (_wcsicmp(className, L"tooltips_class32") == 0 && IsWindowVisible(window)) {
    auto* out = reinterpret_cast<std::string*>(context);
    if (out->size() > 1) *out += ",";
    *out += Quote(TextOf(window));
  }
  return TRUE;
}

int Tooltip() {
  std::string out = "[";
  EnumWindows(CollectTooltip, reinterpret_cast<LPARAM>(&out));
  Write(out + "]\n");
  return 0;
}

struct DialogList {
  std::string json;
  bool dismiss;
};

BOOL CALLBACK CollectDialogText(HWND window, LPARAM context) {
  auto* out = reinterpret_cast<std::string*>(context);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (!IsWindowVisible(window)) return TRUE;
  if (_wcsicmp(className, L"Static") == 0 || _wcsicmp(className, L"Button") == 0) {
    std::wstring text = TextOf(window);
    if (text.empty()) return TRUE;
    if (out->back() != '[') *out += ",";
    *out += Quote(text);
  }
  return TRUE;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  auto* list = reinterpret_cast<DialogList*>(context);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (list->json.size() > 1) list->json += ",";
  wchar_t ownerClass[32] = {};
  GetClassNameW(GetWindow(window, GW_OWNER), ownerClass, 32);
  list->json += "{\"caption\":" + Quote(TextOf(window)) + ",\"owner\":" + Quote(ownerClass) + ",\"texts\":[";
  EnumChildWindows(window, CollectDialogText, reinterpret_cast<LPARAM>(&list->json));
  list->json += "]}";
  if (list->dismiss) PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

int Dialogs(bool dismiss) {
  DialogList list{"[", dismiss};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&list));
  Write(list.json + "]\n");
  return 0;
}

int Close() {
  HWND window = FindMainWindow();
  if (window == nullptr) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && wcscmp(argv[1], L"state") == 0) return State();
  if (argc >= 2 && wcscmp(argv[1], L"tooltip") == 0) return Tooltip();
  if (argc >= 2 && wcscmp(argv[1], L"close") == 0) return Close();
  if (argc >= 2 && wcscmp(argv[1], L"dialogs") == 0) return Dialogs(false);
  if (argc >= 2 && wcscmp(argv[1], L"dismiss") == 0) return Dialogs(true);
  Write("usage: window_probe state | tooltip | close | dialogs | dismiss\n");
  return 64;
}
