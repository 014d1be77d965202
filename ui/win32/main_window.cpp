#include "ui/win32/main_window.h"

#include <commctrl.h>

#include "platform/memory.h"
#include "ui/layout.h"
#include "ui/stored_settings.h"
#include "ui/window_job.h"

namespace {

constexpr DWORD kMainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kMainExStyle =
    WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_LAYERED;
constexpr int32_t kMaxTipWidth = 150;

// A clickable label: a bordered STATIC that reports clicks.
constexpr DWORD kLabel = WS_BORDER | SS_NOTIFY | SS_CENTERIMAGE;
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;

enum class FontKind { Normal, Small, Bold };

struct ControlRow {
  Control control;
  const wchar_t* className;
  DWORD exStyle;
  const wchar_t* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  int x, y, width, height;
  FontKind font;
  const wchar_t* tooltip;  // null: none
};

// The 23 controls in creation order, at their full-layout positions at the
// design's DPI.
const ControlRow kControls[] = {
    {Control::PathFormLabel, L"STATIC", 0, L"", kLabel, 5, 5, 85, 20, FontKind::Normal,
     L"出力パス形式の変更"},
    {Control::SeparatorLabel, L"STATIC", 0, L"", kLabel, 95, 5, 130, 20, FontKind::Normal,
     L"出力パスの区切り文字の変更"},
    {Control::ExtensionLabel, L"STATIC", 0, L"", kLabel, 5, 30, 85, 20, FontKind::Normal,
     L"拡張子の有無を変更"},
    {Control::ItemsLabel, L"STATIC", 0, L"", kLabel, 95, 30, 130, 20, FontKind::Normal,
     L"出力項目の変更"},
    {Control::FolderScanLabel, L"STATIC", 0, L"", kLabel, 95, 55, 130, 20, FontKind::Normal,
     L"フォルダ内容検索の有無を変更"},
    {Control::FilePrefixCaption, L"STATIC", 0, L" ファイル付加文字：前", SS_CENTERIMAGE, 5, 80, 130, 20,
     FontKind::Normal, nullptr},
    {Control::FilePrefixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, 120, 80, 45, 19, FontKind::Normal,
     L"各出力ファイル項目の前部に付加する文字列"},
    {Control::FileSuffixCaption, L"STATIC", 0, L"後", SS_CENTERIMAGE, 165, 80, 20, 20, FontKind::Normal,
     nullptr},
    {Control::FileSuffixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, 180, 80, 45, 19, FontKind::Normal,
     L"各出力ファイル項目の後部に付加する文字列"},
    {Control::FolderPrefixCaption, L"STATIC", 0, L" フォルダ付加文字：前", SS_CENTERIMAGE, 5, 100, 130, 20,
     FontKind::Normal, nullptr},
    {Control::FolderPrefixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, 120, 100, 45, 19, FontKind::Normal,
     L"各出力フォルダ項目の前部に付加する文字列"},
    {Control::FolderSuffixCaption, L"STATIC", 0, L"後", SS_CENTERIMAGE, 165, 100, 20, 20,
     FontKind::Normal, nullptr},
    {Control::FolderSuffixEdit, L"EDIT", WS_EX_CLIENTEDGE, L"", kEdit, 180, 100, 45, 19, FontKind::Normal,
     L"各出力フォルダ項目の後部に付加する文字列"},
    {Control::StatusLabel, L"STATIC", 0, L"", SS_CENTER | SS_NOTIFY | SS_CENTERIMAGE, 5, 125, 220, 20,
     FontKind::Bold, nullptr},
    {Control::CancelButton, L"STATIC", 0, L"キャンセル", WS_DISABLED | kLabel | SS_CENTER, 30, 145, 170,
     20, FontKind::Normal, L"作業の中断"},
    {Control::TopmostLabel, L"STATIC", 0, L"", kLabel, 40, 170, 105, 15, FontKind::Small,
     L"常に手前に表示の切り替え"},
    {Control::TranslucentLabel, L"STATIC", 0, L"", kLabel, 150, 170, 75, 15, FontKind::Small,
     L"半透明表示の切り替え"},
    {Control::SaveButton, L"STATIC", 0, L" SAV", kLabel, 5, 170, 30, 15, FontKind::Small,
     L"現在の状態を保存"},
    {Control::DeleteButton, L"STATIC", 0, L" DEL", kLabel, 5, 190, 30, 15, FontKind::Small,
     L"保存内容（レジストリ）の消去"},
    {Control::HelpButton, L"STATIC", 0, L"？", kLabel | SS_CENTER, 40, 190, 15, 15, FontKind::Small,
     L"説明ファイルを開く"},
    {Control::LayoutButton, L"STATIC", 0, L"□", kLabel | SS_CENTER, 60, 190, 15, 15, FontKind::Small,
     L"設定項目表示の切り替え"},
    {Control::MinimizeButton, L"STATIC", 0, L"__", kLabel | SS_CENTER, 80, 190, 15, 15, FontKind::Small,
     L"最小化"},
    {Control::CreditLabel, L"STATIC", 0, L"Dorrowin " DORROWIN_VERSION_TEXT "\r\nby Quillmoor", SS_RIGHT, 100, 188, 125, 30,
     FontKind::Small, nullptr},
};

HWND CreateTooltipControl(HINSTANCE instance, int32_t dpi) {
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, DpiScale(kMaxTipWidth, dpi));
  return tooltip;
}

// The tool is the control itself; the tooltip control watches its mouse
// messages through its own subclass.
void AddTool(HWND tooltip, HWND window, HWND control, HINSTANCE instance, const wchar_t* text) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.hinst = instance;
  tool.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CreateControls(MainWindow* window, HINSTANCE instance) {
  for (const ControlRow& row : kControls) {
    HWND control = CreateWindowExW(row.exStyle, row.className, row.text, WS_CHILD | WS_VISIBLE | row.style,
                                   DpiScale(row.x, window->dpi), DpiScale(row.y, window->dpi),
                                   DpiScale(row.width, window->dpi), DpiScale(row.height, window->dpi), window->handle,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.control)),
                                   instance, nullptr);
    SetControlHandle(window, row.control, control);
    if (row.tooltip != nullptr) AddTool(window->tooltip, window->handle, control, instance, row.tooltip);
  }
}

// The width of a full-width character (the ideographic space) in a font at
// a pixel height.
int32_t FullWidthAdvance(HDC dc, LOGFONTW font, int32_t height) {
  font.lfHeight = height;
  HFONT made = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(dc, made);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"\u3000", 1, &size);
  SelectObject(dc, old);
  DeleteObject(made);
  return size.cx;
}

// A design font height at a DPI: scaled, then lowered while the font's
// characters would be wider than the design font's scaled. Glyph widths are
// whole pixels and do not grow in proportion to the height (one pixel more
// can make a full-width character two pixels wider), and the labels' texts
// must keep fitting controls that do. At the design's DPI it is the design
// height.
int32_t FontHeightForDpi(HDC dc, const LOGFONTW& font, int32_t designHeight, int32_t dpi) {
  int32_t widest = DpiScale(FullWidthAdvance(dc, font, designHeight), dpi);
  int32_t height = DpiScale(designHeight, dpi);
  while (height > designHeight && FullWidthAdvance(dc, font, height) > widest) --height;
  return height;
}

// All three fonts are the stock GUI font's face and character set at the
// design's pixel heights for the window's DPI, each made from the copy as
// changed so far.
void CreateFonts(MainWindow* window) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfWidth = 0;
  HDC screen = GetDC(nullptr);
  font.lfHeight = FontHeightForDpi(screen, font, 13, window->dpi);
  window->normalFont = CreateFontIndirectW(&font);
  font.lfHeight = FontHeightForDpi(screen, font, 11, window->dpi);
  window->smallFont = CreateFontIndirectW(&font);
  font.lfWeight = FW_BOLD;
  font.lfHeight = FontHeightForDpi(screen, font, 14, window->dpi);
  window->boldFont = CreateFontIndirectW(&font);
  ReleaseDC(nullptr, screen);
}

// Frees the fonts and icons of the window's DPI (those no control or window
// uses any more).
void FreeFontsAndIcons(const MainWindow* window) {
  for (HFONT font : {window->normalFont, window->smallFont, window->boldFont}) {
    if (font != nullptr) DeleteObject(font);
  }
  for (HICON icon : {window->bigIcon, window->smallIcon}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

HFONT FontFor(const MainWindow* window, FontKind kind) {
  switch (kind) {
    case FontKind::Small:
      return window->smallFont;
    case FontKind::Bold:
      return window->boldFont;
    case FontKind::Normal:
      break;
  }
  return window->normalFont;
}

void AssignFonts(MainWindow* window) {
  for (const ControlRow& row : kControls) {
    SendMessageW(ControlHandle(window, row.control), WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(window, row.font)), TRUE);
  }
}

// The program's icon at a size for the window's DPI.
HICON LoadIconForDpi(HINSTANCE instance, int widthMetric, int heightMetric, int32_t dpi) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_DORROWIN), IMAGE_ICON,
                                       SystemMetricForDpi(widthMetric, dpi), SystemMetricForDpi(heightMetric, dpi), 0));
}

// The window's own icons at the sizes for its DPI, so that the system does
// not stretch the class's icons, which are made for the system DPI.
void LoadWindowIcons(MainWindow* window, HINSTANCE instance) {
  window->bigIcon = LoadIconForDpi(instance, SM_CXICON, SM_CYICON, window->dpi);
  window->smallIcon = LoadIconForDpi(instance, SM_CXSMICON, SM_CYSMICON, window->dpi);
  SendMessageW(window->handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window->bigIcon));
  SendMessageW(window->handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window->smallIcon));
}

}  // namespace

// The layouts' titles are the resource header's texts (ui/layout.cpp); the
// full title is read here for the help warning's caption.
void LoadWindowTexts(AppState* state, HINSTANCE instance) {
  LoadStringW(instance, IDS_FULL_TITLE, reinterpret_cast<wchar_t*>(state->fullTitle), kResourceTextCapacity);
  LoadStringW(instance, IDS_CLASS_NAME, reinterpret_cast<wchar_t*>(state->className), kResourceTextCapacity);
}

void RegisterMainWindowClass(const AppState* state, HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DORROWIN));
  // There is no icon 108: the class gets no small icon of its own, and the
  // system derives one from the large icon.
  windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DORROWIN_SMALL));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = reinterpret_cast<const wchar_t*>(state->className);
  RegisterClassExW(&windowClass);
}

// A drop from the shell arrives as WM_DROPFILES, with WM_COPYDATA and
// WM_COPYGLOBALDATA (0x0049) carrying its data across processes.
bool AllowDropsFromLowerIntegrity(HWND window, MessageFilterFn filter) {
  const UINT messages[] = {WM_DROPFILES, WM_COPYDATA, 0x0049};
  bool allowed = true;
  for (UINT message : messages) {
    if (!filter(window, message, MSGFLT_ALLOW, nullptr)) allowed = false;
  }
  return allowed;
}

// The state travels with the window's creation, so that the window
// procedure has it from its first message on. The window's DPI is known
// once it exists (the window procedure records it): the window is then sized
// for the full layout at that DPI, and its controls, fonts and icons made for it.
bool CreateMainWindow(AppState* state, HINSTANCE instance) {
  HWND handle = CreateWindowExW(kMainExStyle, reinterpret_cast<const wchar_t*>(state->className),
                                reinterpret_cast<const wchar_t*>(state->fullTitle), kMainStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, state);
  if (handle == nullptr) return false;
  MainWindow* window = state->window;
  window->handle = handle;
  SIZE size = LayoutWindowSize(handle, false, window->dpi);
  SetWindowPos(handle, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetLayeredWindowAttributes(handle, 0, 255, LWA_ALPHA);
  SetClipboardOwner(handle);
  AllowDropsFromLowerIntegrity(handle);
  EnableMenuItem(GetSystemMenu(handle, FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);

  window->tooltip = CreateTooltipControl(instance, window->dpi);
  CreateControls(window, instance);
  CreateFonts(window);
  AssignFonts(window);
  LoadWindowIcons(window, instance);

  ResolveReadmePath(state);
  LoadSettings(state);
  ShowWindow(handle, SW_SHOWNORMAL);
  UpdateWindow(handle);
  if (state->commandLineMode) StartJob(state, nullptr);
  return true;
}

SIZE LayoutWindowSize(HWND window, bool compact, int32_t dpi) {
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  LayoutClientSize(compact, dpi, &clientWidth, &clientHeight);
  int32_t width = 0;
  int32_t height = 0;
  OuterSizeForDpi(window, clientWidth, clientHeight, dpi, &width, &height);
  return SIZE{width, height};
}

void DesignPlace(Control control, bool compact, int32_t place[4]) {
  if (compact && CompactPlace(control, place)) return;
  for (const ControlRow& row : kControls) {
    if (row.control != control) continue;
    place[0] = row.x;
    place[1] = row.y;
    place[2] = row.width;
    place[3] = row.height;
    return;
  }
}

// Every control goes to its place at the new DPI in the current layout (the
// full-only ones, hidden in the compact layout, to their full-layout places)
// and gets its font for that DPI; the fonts and icons of the old DPI (kept in
// `old`) are freed once nothing uses them.
void RescaleMainWindow(AppState* state, int32_t dpi, const RECT* suggested) {
  MainWindow* window = state->window;
  MainWindow old = *window;
  window->dpi = dpi;
  CreateFonts(window);
  for (const ControlRow& row : kControls) {
    int32_t place[4] = {};
    DesignPlace(row.control, state->settings.compactLayout, place);
    MoveWindow(ControlHandle(window, row.control), DpiScale(place[0], dpi), DpiScale(place[1], dpi),
               DpiScale(place[2], dpi), DpiScale(place[3], dpi), TRUE);
  }
  AssignFonts(window);
  SendMessageW(window->tooltip, TTM_SETMAXTIPWIDTH, 0, DpiScale(kMaxTipWidth, dpi));
  LoadWindowIcons(window, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window->handle, GWLP_HINSTANCE)));
  FreeFontsAndIcons(&old);
  SetWindowPos(window->handle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FreeWindowObjects(MainWindow* window) {
  FreeFontsAndIcons(window);
  window->normalFont = window->smallFont = window->boldFont = nullptr;
  window->bigIcon = window->smallIcon = nullptr;
}

// The module's own path names the program's folder however the program was
// started; the command line's first word need not be a quoted full path.
void ResolveReadmePath(AppState* state) {
  DWORD capacity = MAX_PATH;
  for (;;) {
    auto* buffer = static_cast<wchar_t*>(PlatformAllocArray(capacity, sizeof(wchar_t)));
    if (buffer == nullptr) {
      SetReadmePath(state, nullptr);
      return;
    }
    DWORD length = GetModuleFileNameW(nullptr, buffer, capacity);
    if (length == 0) {
      PlatformFree(buffer);
      SetReadmePath(state, nullptr);
      return;
    }
    if (length < capacity) {
      SetReadmePath(state, ReadmePathFor(reinterpret_cast<const char16_t*>(buffer)));
      PlatformFree(buffer);
      return;
    }
    // Cut at the buffer's end: ask again with more room. Module paths end at
    // 32,767 units, so this stops.
    PlatformFree(buffer);
    if (capacity >= 65536) {
      SetReadmePath(state, nullptr);
      return;
    }
    capacity *= 2;
  }
}

namespace {

// Ctrl+V or Shift+Insert (without Alt, which makes AltGr on some keyboards)
// with files on the clipboard; keys read as they were when the message came.
// With no window focused (a job disables the edit box that had the focus),
// keys reach the active window as system keys.
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
