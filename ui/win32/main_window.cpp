#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <initializer_list>
#include <utility>

#include "ui/commands.h"
#include "ui/layout.h"
#include "ui/window_job.h"

namespace {

constexpr int32_t kMaxTipWidth = 150;
constexpr wchar_t kClassName[] = L"" DORROWIN_CLASS_NAME;

// A clickable label: a bordered STATIC that reports clicks.
constexpr DWORD kLabel = WS_BORDER | SS_NOTIFY | SS_CENTERIMAGE;
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;

// The three fonts, as members of the window's DPI objects.
constexpr auto kNormal = &DpiObjects::normalFont;
constexpr auto kSmall = &DpiObjects::smallFont;
constexpr auto kBold = &DpiObjects::boldFont;

struct ControlRow {
  Control control;
  const wchar_t* className;
  DWORD exStyle;
  const wchar_t* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  OwnedFont DpiObjects::*font;
  const wchar_t* tooltip;  // null: none
};

// The 23 controls in creation order; their places are the layouts'.
const ControlRow kControls[] = {
    {Control::PathFormLabel, L"STATIC", 0, L"", kLabel, kNormal, L"出力パス形式の変更"},
    {Control::SeparatorLabel, L"STATIC", 0, L"", kLabel, kNormal, L"出力パスの区切り文字の変更"},
    {Control::ExtensionLabel, L"STATIC", 0, L"", kLabel, kNormal, L"拡張子の有無を変更"},
    {Control::ItemsLabel, L"STATIC", 0, L"", kLabel, kNormal, L"出力項目の変更"},
    {Control::FolderScanLabel, L"STATIC", 0, L"", kLabel, kNormal, L"フォルダ内容検索の有無を変更"},
    {Control::FilePrefixCaption, L"STATIC", 0, L" ファイル付加文字：前", SS_CENTERIMAGE, kNormal, nullptr},
    {Control::FilePrefixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, kNormal, L"各出力ファイル項目の前部に付加する文字列"},
    {Control::FileSuffixCaption, L"STATIC", 0, L"後", SS_CENTERIMAGE, kNormal, nullptr},
    {Control::FileSuffixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, kNormal, L"各出力ファイル項目の後部に付加する文字列"},
    {Control::FolderPrefixCaption, L"STATIC", 0, L" フォルダ付加文字：前", SS_CENTERIMAGE, kNormal, nullptr},
    {Control::FolderPrefixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, kNormal, L"各出力フォルダ項目の前部に付加する文字列"},
    {Control::FolderSuffixCaption, L"STATIC", 0, L"後", SS_CENTERIMAGE, kNormal, nullptr},
    {Control::FolderSuffixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, kNormal, L"各出力フォルダ項目の後部に付加する文字列"},
    {Control::StatusLabel, L"STATIC", 0, L"", SS_CENTER | SS_NOTIFY | SS_CENTERIMAGE, kBold, nullptr},
    {Control::CancelButton, L"STATIC", 0, L"キャンセル", WS_DISABLED | kLabel | SS_CENTER, kNormal, L"作業の中断"},
    {Control::TopmostLabel, L"STATIC", 0, L"", kLabel, kSmall, L"常に手前に表示の切り替え"},
    {Control::TranslucentLabel, L"STATIC", 0, L"", kLabel, kSmall, L"半透明表示の切り替え"},
    {Control::SaveButton, L"STATIC", 0, L" SAV", kLabel, kSmall, L"現在の状態を保存"},
    {Control::DeleteButton, L"STATIC", 0, L" DEL", kLabel, kSmall, L"保存内容（レジストリ）の消去"},
    {Control::HelpButton, L"STATIC", 0, L"？", kLabel | SS_CENTER, kSmall, L"説明ファイルを開く"},
    {Control::LayoutButton, L"STATIC", 0, L"□", kLabel | SS_CENTER, kSmall, L"設定項目表示の切り替え"},
    {Control::MinimizeButton, L"STATIC", 0, L"__", kLabel | SS_CENTER, kSmall, L"最小化"},
    {Control::CreditLabel, L"STATIC", 0, L"Dorrowin " DORROWIN_VERSION_TEXT "\r\nby Quillmoor", SS_RIGHT,
     kSmall, nullptr},
};

// Each control is made in the full layout's place at the window's DPI. A
// tool is the control itself; the tooltip watches its mouse through its own subclass.
void CreateControls(MainWindow* window, HINSTANCE instance) {
  for (const ControlRow& row : kControls) {
    DesignRect r = ScaledPlace(row.control, false, window->dpi);
    HWND control = CreateWindowExW(row.exStyle, row.className, row.text, WS_CHILD | WS_VISIBLE | row.style, r.x, r.y,
                                   r.width, r.height, window->handle,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.control)), instance, nullptr);
    SetControlHandle(window, row.control, control);
    if (row.tooltip == nullptr || control == nullptr || window->tooltip == nullptr) continue;
    TOOLINFOW tool{.cbSize = sizeof(TOOLINFOW), .uFlags = TTF_IDISHWND | TTF_SUBCLASS, .hwnd = window->handle,
                   .uId = reinterpret_cast<UINT_PTR>(control), .hinst = instance,
                   .lpszText = const_cast<wchar_t*>(row.tooltip)};
    SendMessageW(window->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// The width of a full-width character (the ideographic space) in a font at
// a pixel height; 0 when the font cannot be made.
int32_t FullWidthAdvance(HDC dc, LOGFONTW font, int32_t height) {
  font.lfHeight = height;
  OwnedFont made(CreateFontIndirectW(&font));
  if (made == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, made.get());
  SIZE size{};
  GetTextExtentPoint32W(dc, L"\u3000", 1, &size);
  SelectObject(dc, old);
  return size.cx;
}

// A design font height at a DPI: scaled, then lowered while its characters
// would be wider than the design font's scaled. Glyph widths are whole pixels
// and do not grow in proportion (one pixel more can make a full-width
// character two wider), and the labels' texts must keep fitting controls that do.
int32_t FontHeightForDpi(HDC dc, const LOGFONTW& font, int32_t designHeight, int32_t dpi) {
  int32_t widest = DpiScale(FullWidthAdvance(dc, font, designHeight), dpi);
  int32_t height = DpiScale(designHeight, dpi);
  while (height > designHeight && FullWidthAdvance(dc, font, height) > widest) --height;
  return height;
}

// The fonts (the stock GUI font's face at the design's heights), the tooltip's
// width and the window's own icons, which the system would stretch otherwise.
void MakeDpiObjects(MainWindow* window, HINSTANCE instance) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfWidth = 0;
  HDC screen = GetDC(nullptr);
  for (auto [member, height] : {std::pair{kNormal, 13}, {kSmall, 11}, {kBold, 14}}) {
    if (member == kBold) font.lfWeight = FW_BOLD;
    font.lfHeight = FontHeightForDpi(screen, font, height, window->dpi);
    (window->objects.*member).reset(CreateFontIndirectW(&font));
  }
  ReleaseDC(nullptr, screen);
  for (const ControlRow& row : kControls) {
    HFONT made = (window->objects.*row.font).get();
    SendMessageW(ControlHandle(window, row.control), WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  }
  SendMessageW(window->tooltip, TTM_SETMAXTIPWIDTH, 0, DpiScale(kMaxTipWidth, window->dpi));
  auto icon = [&](int width, int height, WPARAM type, OwnedIcon& owner) {
    owner.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_DORROWIN), IMAGE_ICON,
                                              SystemMetricForDpi(width, window->dpi),
                                              SystemMetricForDpi(height, window->dpi), 0)));
    SendMessageW(window->handle, WM_SETICON, type, reinterpret_cast<LPARAM>(owner.get()));
  };
  icon(SM_CXICON, SM_CYICON, ICON_BIG, window->objects.bigIcon);
  icon(SM_CXSMICON, SM_CYSMICON, ICON_SMALL, window->objects.smallIcon);
}

// The module's path names the program's folder however it was started; a path
// cut at the buffer's end is asked for with more room (module paths end at 32,767).
void ResolveReadmePath(AppState* state) {
  for (DWORD capacity = MAX_PATH; capacity < 131072; capacity *= 2) {
    OwnedBlock<wchar_t> buffer = MakeBlock<wchar_t>(capacity);
    DWORD length = buffer != nullptr ? GetModuleFileNameW(nullptr, buffer.get(), capacity) : 0;
    if (length > 0 && length < capacity) state->readmePath = ReadmePathFor(reinterpret_cast<char16_t*>(buffer.get()));
    if (length < capacity) return;
  }
}

// Ctrl+V or Shift+Insert (Alt makes AltGr on some keyboards), keys as they were
// when the message came; with no focus (in a job) they come as system keys.
bool IsFilePaste(HWND mainWindow, const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  bool control = GetKeyState(VK_CONTROL) < 0;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool paste = GetKeyState(VK_MENU) >= 0 &&
               ((message.wParam == 'V' && control) || (message.wParam == VK_INSERT && shift && !control));
  return paste && (message.hwnd == mainWindow || IsChild(mainWindow, message.hwnd)) &&
         IsClipboardFormatAvailable(CF_HDROP);
}

}  // namespace

void RegisterMainWindowClass(HINSTANCE instance) {
  // There is no icon 108: the class gets no small icon of its own, and the
  // system derives one from the large icon.
  WNDCLASSEXW windowClass{
      .cbSize = sizeof(WNDCLASSEXW), .style = CS_HREDRAW | CS_VREDRAW, .lpfnWndProc = MainWindowProc,
      .hInstance = instance, .hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DORROWIN)),
      .hCursor = LoadCursorW(nullptr, IDC_ARROW),
      .hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)), .lpszClassName = kClassName,
      .hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DORROWIN_SMALL))};
  RegisterClassExW(&windowClass);
}

// The state travels with the creation, so that the window procedure has it
// from its first message on and records the DPI the window is then sized for.
bool CreateMainWindow(AppState* state, HINSTANCE instance) {
  HWND handle = CreateWindowExW(WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_LAYERED,
                                kClassName, reinterpret_cast<const wchar_t*>(kFullTitle),
                                WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                                nullptr, instance, state);
  if (handle == nullptr) return false;
  MainWindow* window = state->window;
  window->handle = handle;
  SIZE size = LayoutWindowSize(handle, false, window->dpi);
  SetWindowPos(handle, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetLayeredWindowAttributes(handle, 0, 255, LWA_ALPHA);
  SetClipboardOwner(handle);
  // Drops pass the message filter of an elevated process, so that Explorer
  // without elevation can still drop: WM_DROPFILES, with WM_COPYDATA and
  // WM_COPYGLOBALDATA (0x0049) carrying its data across processes.
  for (UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x0049}}) {
    ChangeWindowMessageFilterEx(handle, message, MSGFLT_ALLOW, nullptr);
  }
  EnableMenuItem(GetSystemMenu(handle, FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);

  // The tooltip control belongs to the main window, so it ends with it.
  window->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    0, 0, 0, 0, handle, nullptr, instance, nullptr);
  CreateControls(window, instance);
  MakeDpiObjects(window, instance);

  ResolveReadmePath(state);
  LoadSettings(state);
  ShowWindow(handle, SW_SHOWNORMAL);
  UpdateWindow(handle);
  if (state->commandLineMode) StartJob(state, nullptr);
  return true;
}

SIZE LayoutWindowSize(HWND window, bool compact, int32_t dpi) {
  int32_t clientWidth = 0, clientHeight = 0, width = 0, height = 0;
  LayoutClientSize(compact, dpi, &clientWidth, &clientHeight);
  OuterSizeForDpi(window, clientWidth, clientHeight, dpi, &width, &height);
  return SIZE{width, height};
}

// The fonts and icons of the old DPI end once nothing uses them.
void RescaleMainWindow(AppState* state, int32_t dpi, const RECT* suggested) {
  MainWindow* window = state->window;
  DpiObjects old = std::move(window->objects);
  window->dpi = dpi;
  for (const ControlRow& row : kControls) {
    DesignRect r = ScaledPlace(row.control, state->settings.compactLayout, dpi);
    MoveWindow(ControlHandle(window, row.control), r.x, r.y, r.width, r.height, TRUE);
  }
  MakeDpiObjects(window, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window->handle, GWLP_HINSTANCE)));
  SetWindowPos(window->handle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

int RunMessageLoop(AppState* state) {
  MSG message{};
  // GetMessageW gives -1 on an error: that ends the loop too.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsFilePaste(state->window->handle, message)) {
      PasteFiles(state);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
