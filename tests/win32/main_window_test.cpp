// The real main window, created in-process by the program's own start-up code
// on the virtual display: its class, styles, controls, fonts, tooltips and
// texts, both layouts and the fit into the work area, and the window
// procedure with every command, drops, the timer, the registry and the help
// request.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/win32/win32_window.h"
#include "settings/listing_settings.h"
#include "settings/settings_store.h"
#include "tests/support/test_support.h"
#include "ui/commands.h"
#include "ui/layout.h"
#include "ui/ui_state.h"
#include "ui/win32/main_window.h"

namespace {

constexpr int kControlCount = 23;
constexpr DWORD kLabel = WS_BORDER | SS_NOTIFY | SS_CENTERIMAGE;
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr wchar_t kProductKey[] = L"Software\\Quillmoor\\Dorrowin";

enum class Font { Normal, Small, Bold };

// The controls as the program must create them, in creation order, at their
// full-layout positions.
struct ExpectedControl {
  int id;
  const wchar_t* className;
  const wchar_t* text;  // null: a setting label, whose text the settings write
  DWORD style;          // besides WS_CHILD | WS_VISIBLE
  DWORD exStyle;
  int x, y, width, height;
  Font font;
  const wchar_t* tooltip;  // null: none
};

const ExpectedControl kExpected[kControlCount] = {
    {10001, L"Static", nullptr, kLabel, 0, 5, 5, 85, 20, Font::Normal, L"出力パス形式の変更"},
    {10023, L"Static", nullptr, kLabel, 0, 95, 5, 130, 20, Font::Normal, L"出力パスの区切り文字の変更"},
    {10002, L"Static", nullptr, kLabel, 0, 5, 30, 85, 20, Font::Normal, L"拡張子の有無を変更"},
    {10008, L"Static", nullptr, kLabel, 0, 95, 30, 130, 20, Font::Normal, L"出力項目の変更"},
    {10009, L"Static", nullptr, kLabel, 0, 95, 55, 130, 20, Font::Normal, L"フォルダ内容検索の有無を変更"},
    {10004, L"Static", L" ファイル付加文字：前", SS_CENTERIMAGE, 0, 5, 80, 130, 20, Font::Normal, nullptr},
    {10006, L"Edit", L"", kEdit, WS_EX_CLIENTEDGE, 120, 80, 45, 19, Font::Normal,
     L"各出力ファイル項目の前部に付加する文字列"},
    {10005, L"Static", L"後", SS_CENTERIMAGE, 0, 165, 80, 20, 20, Font::Normal, nullptr},
    {10007, L"Edit", L"", kEdit, WS_EX_CLIENTEDGE, 180, 80, 45, 19, Font::Normal,
     L"各出力ファイル項目の後部に付加する文字列"},
    {10021, L"Static", L" フォルダ付加文字：前", SS_CENTERIMAGE, 0, 5, 100, 130, 20, Font::Normal, nullptr},
    {10019, L"Edit", L"", kEdit, WS_EX_CLIENTEDGE, 120, 100, 45, 19, Font::Normal,
     L"各出力フォルダ項目の前部に付加する文字列"},
    {10022, L"Static", L"後", SS_CENTERIMAGE, 0, 165, 100, 20, 20, Font::Normal, nullptr},
    {10020, L"Edit", L"", kEdit, WS_EX_CLIENTEDGE, 180, 100, 45, 19, Font::Normal,
     L"各出力フォルダ項目の後部に付加する文字列"},
    {10003, L"Static", nullptr, SS_CENTER | SS_NOTIFY | SS_CENTERIMAGE, 0, 5, 125, 220, 20, Font::Bold, nullptr},
    {10013, L"Static", L"キャンセル", WS_DISABLED | kLabel | SS_CENTER, 0, 30, 145, 170, 20, Font::Normal,
     L"作業の中断"},
    {10010, L"Static", nullptr, kLabel, 0, 40, 170, 105, 15, Font::Small, L"常に手前に表示の切り替え"},
    {10011, L"Static", nullptr, kLabel, 0, 150, 170, 75, 15, Font::Small, L"半透明表示の切り替え"},
    {10015, L"Static", L" SAV", kLabel, 0, 5, 170, 30, 15, Font::Small, L"現在の状態を保存"},
    {10016, L"Static", L" DEL", kLabel, 0, 5, 190, 30, 15, Font::Small, L"保存内容（レジストリ）の消去"},
    {10018, L"Static", L"？", kLabel | SS_CENTER, 0, 40, 190, 15, 15, Font::Small, L"説明ファイルを開く"},
    {10017, L"Static", L"□", kLabel | SS_CENTER, 0, 60, 190, 15, 15, Font::Small, L"設定項目表示の切り替え"},
    {10014, L"Static", L"__", kLabel | SS_CENTER, 0, 80, 190, 15, 15, Font::Small, L"最小化"},
    {10012, L"Static", nullptr, SS_RIGHT, 0, 100, 188, 125, 30, Font::Small, nullptr},
};

// Hidden in the compact layout.
const int kFullOnlyIds[] = {10001, 10023, 10002, 10008, 10009, 10004, 10005, 10021, 10022,
                            10006, 10007, 10019, 10020, 10010, 10011, 10012, 10016, 10018};

// The five controls that both layouts show: id, compact and full place.
struct Placement {
  int id;
  RECT compact;  // x, y, width, height
  RECT full;
};
const Placement kMoved[] = {
    {10003, {5, 5, 70, 20}, {5, 125, 220, 20}},   {10013, {5, 25, 70, 20}, {30, 145, 170, 20}},
    {10015, {5, 50, 30, 15}, {5, 170, 30, 15}},   {10017, {40, 50, 15, 15}, {60, 190, 15, 15}},
    {10014, {60, 50, 15, 15}, {80, 190, 15, 15}},
};

// --- The window, once per test program -------------------------------------

HWND g_main = nullptr;
HWND g_realControls[kControlCount + 1] = {};  // by id - 10001; the last slot unused
HWND g_savedMain = nullptr;
HWND g_savedControls[kControlCount] = {};

HWND Item(int id) { return g_realControls[id - 10001]; }

void SaveHandles(HWND* main, HWND* controls) {
  *main = MainWindowHandle();
  for (int id = 10001; id <= 10023; ++id) controls[id - 10001] = ControlHandle(static_cast<Control>(id));
}

void InstallHandles(HWND main, const HWND* controls) {
  SetMainWindowHandle(main);
  for (int id = 10001; id <= 10023; ++id) SetControlHandle(static_cast<Control>(id), controls[id - 10001]);
}

void DeleteStoredSettings() {
  RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillmoor");
}

bool StoredKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Lets the window's thread handle what other threads send and post to it.
void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Pumps until done() holds; false after `seconds` without.
template <typename Done>
bool PumpUntil(Done done, int seconds = 30) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return true;
}

void PumpFor(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  PumpUntil([&] { return std::chrono::steady_clock::now() > end; });
}

// Creates the window as the program does: texts from the resources (linked
// into this test program), the class, then CreateMainWindow with nothing
// stored, so the defaults and the compact layout apply.
void CreateRealWindowOnce() {
  if (g_main != nullptr) return;
  HWND before = nullptr;
  HWND beforeControls[kControlCount];
  SaveHandles(&before, beforeControls);
  DeleteStoredSettings();
  ResetListingSettings();
  g_job.commandLineMode = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  LoadWindowTexts(instance);
  RegisterMainWindowClass(instance);
  ASSERT_TRUE(CreateMainWindow(instance));
  SaveHandles(&g_main, g_realControls);
  InstallHandles(before, beforeControls);
  Pump();
}

std::wstring TextOf(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::string Narrow(const std::wstring& text) {
  return Utf8(std::u16string(text.begin(), text.end()));
}

RECT ClientRectOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

SIZE ClientSize() {
  RECT r{};
  GetClientRect(g_main, &r);
  return SIZE{r.right, r.bottom};
}

RECT WindowRectOf() {
  RECT r{};
  GetWindowRect(g_main, &r);
  return r;
}

// The outer size for a client area, computed independently of the program.
SIZE OuterSize(int clientWidth, int clientHeight) {
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE,
                     WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_LAYERED);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void PlaceWindow(int x, int y) {
  SetWindowPos(g_main, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
}

LRESULT Command(int id, int code) {
  return SendMessageW(g_main, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}

LRESULT Click(int id) { return Command(id, kNotifyClicked); }

std::wstring LabelText(int id) { return TextOf(Item(id)); }

std::u16string ReadClipboard() {
  std::u16string text;
  if (!OpenClipboard(nullptr)) return u"<busy>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data != nullptr) {
    const auto* units = static_cast<const char16_t*>(GlobalLock(data));
    if (units != nullptr) {
      text = units;
      GlobalUnlock(data);
    }
  } else {
    text = u"<none>";
  }
  CloseClipboard();
  return text;
}

void WriteClipboard(const std::u16string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
  memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * 2);
  GlobalUnlock(block);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
  CloseClipboard();
}

// Every test starts from the defaults in the compact layout, nothing stored,
// Idle, with the window at (100, 100) and its handles in place.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateRealWindowOnce();
    ASSERT_NE(g_main, nullptr);
    SaveHandles(&g_savedMain, g_savedControls);
    InstallHandles(g_main, g_realControls);
    if (IsIconic(g_main)) ShowWindow(g_main, SW_RESTORE);
    DeleteStoredSettings();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.abortFlag.store(false);
    g_job.failureFlag.store(false);
    for (int id : {10006, 10007, 10019, 10020}) SetWindowTextW(Item(id), L"");
    PlaceWindow(100, 100);
    LoadSettings();  // nothing stored: the defaults' labels and the compact layout
    DragAcceptFiles(g_main, TRUE);
    Pump();
  }

  void TearDown() override {
    WaitForWorker();
    KillTimer(g_main, 1);
    Pump();
    DeleteStoredSettings();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.abortFlag.store(false);
    g_job.failureFlag.store(false);
    InstallHandles(g_savedMain, g_savedControls);
  }
};

// --- Class, window, controls ---------------------------------------------

TEST_F(MainWindowTest, ClassIsRegisteredAsTabled) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"Dorrowin", &info));
  EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(info.lpfnWndProc, MainWindowProc);
  EXPECT_EQ(info.cbClsExtra, 0);
  EXPECT_EQ(info.cbWndExtra, 0);
  EXPECT_NE(info.hIcon, nullptr);
  EXPECT_EQ(info.hCursor, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
  EXPECT_EQ(info.lpszMenuName, nullptr);
  wchar_t className[64] = {};
  GetClassNameW(g_main, className, 64);
  EXPECT_STREQ(className, L"Dorrowin");
}

TEST_F(MainWindowTest, MainWindowIsALayeredTopmostToolWindowThatCannotBeResizedOrMaximized) {
  DWORD style = static_cast<DWORD>(GetWindowLongW(g_main, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongW(g_main, GWL_EXSTYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD), 0u);
  const DWORD wanted = WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_LAYERED;
  EXPECT_EQ(exStyle & wanted, wanted);
  EXPECT_EQ(GetParent(g_main), nullptr);
  EXPECT_EQ(GetMenu(g_main), nullptr);
  EXPECT_TRUE(IsWindowVisible(g_main));

  HMENU systemMenu = GetSystemMenu(g_main, FALSE);
  ASSERT_NE(systemMenu, nullptr);
  UINT maximize = GetMenuState(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
  ASSERT_NE(maximize, static_cast<UINT>(-1));
  EXPECT_TRUE(maximize & MF_GRAYED);

  // No edge or corner of the frame offers a resize.
  RECT r = WindowRectOf();
  const POINT edges[] = {{r.right - 1, r.bottom - 1}, {r.left, (r.top + r.bottom) / 2},
                         {(r.left + r.right) / 2, r.bottom - 1}, {r.right - 1, (r.top + r.bottom) / 2}};
  for (POINT p : edges) {
    LRESULT hit = SendMessageW(g_main, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(hit < HTLEFT || hit > HTBOTTOMRIGHT) << "hit " << hit << " at " << p.x << "," << p.y;
  }
}

TEST_F(MainWindowTest, AlphaIsOpaqueAndTheTranslucentLabelSwitchesIt) {
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(g_main, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  Click(10011);
  ASSERT_TRUE(GetLayeredWindowAttributes(g_main, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 192);
  EXPECT_EQ(LabelText(10011), L" 透過表示：ON");
  Click(10011);
  ASSERT_TRUE(GetLayeredWindowAttributes(g_main, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(LabelText(10011), L" 透過表示：OFF");
}

TEST_F(MainWindowTest, TheTopmostLabelSwitchesTheZOrder) {
  EXPECT_TRUE(GetWindowLongW(g_main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT before = WindowRectOf();
  Click(10010);
  EXPECT_FALSE(GetWindowLongW(g_main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(LabelText(10010), L" 常に手前に表示：OFF");
  EXPECT_TRUE(SameRect(WindowRectOf(), before));
  Command(10010, kNotifyDoubleClicked);
  EXPECT_TRUE(GetWindowLongW(g_main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(LabelText(10010), L" 常に手前に表示：ON");
}

TEST_F(MainWindowTest, TheTwentyThreeControlsAreCreatedAsTabled) {
  SwitchLayout(false, true);
  LOGFONTW stock{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  for (const ExpectedControl& expected : kExpected) {
    SCOPED_TRACE("control " + std::to_string(expected.id));
    HWND control = GetDlgItem(g_main, expected.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control, Item(expected.id));
    EXPECT_EQ(GetParent(control), g_main);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    EXPECT_EQ(_wcsicmp(className, expected.className), 0) << Narrow(className);

    // DeleteButton is disabled while nothing is stored; the enabled state is
    // checked on its own below.
    DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    EXPECT_EQ(style & ~WS_DISABLED, (WS_CHILD | WS_VISIBLE | expected.style) & ~WS_DISABLED)
        << std::hex << style;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)), expected.exStyle);
    EXPECT_TRUE(SameRect(ClientRectOf(control), RECT{expected.x, expected.y, expected.width, expected.height}))
        << Show(ClientRectOf(control));
    if (expected.text != nullptr) {
      EXPECT_EQ(TextOf(control), expected.text) << Narrow(TextOf(control));
    }

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    ASSERT_EQ(GetObjectW(font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont)));
    int height = expected.font == Font::Normal ? 13 : expected.font == Font::Small ? 11 : 14;
    EXPECT_EQ(logFont.lfHeight, height);
    EXPECT_EQ(logFont.lfWidth, 0);
    EXPECT_EQ(logFont.lfWeight, expected.font == Font::Bold ? 700 : stock.lfWeight);
    EXPECT_STREQ(logFont.lfFaceName, stock.lfFaceName);
    EXPECT_EQ(logFont.lfCharSet, stock.lfCharSet);
  }
  // The controls are siblings in creation order.
  HWND child = GetWindow(g_main, GW_CHILD);
  for (const ExpectedControl& expected : kExpected) {
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), expected.id);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
}

TEST_F(MainWindowTest, EnabledStatesAtIdle) {
  for (const ExpectedControl& expected : kExpected) {
    bool enabled = expected.id != 10013 && expected.id != 10016;  // Cancel; Delete with nothing stored
    EXPECT_EQ(IsWindowEnabled(Item(expected.id)) != FALSE, enabled) << expected.id;
  }
}

TEST_F(MainWindowTest, SettingLabelsShowTheDefaults) {
  EXPECT_EQ(LabelText(10001), L" パス：相対パス");
  EXPECT_EQ(LabelText(10023), L" パス区切り文字：\\");
  EXPECT_EQ(LabelText(10002), L" 拡張子：あり");
  EXPECT_EQ(LabelText(10008), L" 項目：ファイルとフォルダ");
  EXPECT_EQ(LabelText(10009), L" フォルダ内検索：する");
  EXPECT_EQ(LabelText(10010), L" 常に手前に表示：ON");
  EXPECT_EQ(LabelText(10011), L" 透過表示：OFF");
  EXPECT_EQ(LabelText(10003), L"待機中");
  std::wstring credit = LabelText(10012);
  EXPECT_NE(credit.find(L"\r\n"), std::wstring::npos);
  EXPECT_EQ(credit.find(L"\r\n"), credit.rfind(L"\r\n")) << "two lines";
}

TEST_F(MainWindowTest, TooltipsNameEveryClickableControlAndNoOther) {
  HWND tooltip = g_mainWindowObjects.tooltip;
  ASSERT_NE(tooltip, nullptr);
  wchar_t className[64] = {};
  GetClassNameW(tooltip, className, 64);
  EXPECT_EQ(_wcsicmp(className, L"tooltips_class32"), 0);
  DWORD style = static_cast<DWORD>(GetWindowLongW(tooltip, GWL_STYLE));
  EXPECT_EQ(style & (WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP), static_cast<DWORD>(WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP));
  EXPECT_TRUE(GetWindowLongW(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(tooltip, GW_OWNER), nullptr);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0), 150);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 17);

  for (const ExpectedControl& expected : kExpected) {
    SCOPED_TRACE("control " + std::to_string(expected.id));
    wchar_t text[128] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = g_main;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(expected.id));
    tool.lpszText = text;
    BOOL known = static_cast<BOOL>(SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(known != FALSE, expected.tooltip != nullptr);
    if (expected.tooltip == nullptr || !known) continue;
    EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, expected.tooltip) << Narrow(text);
  }
}

// The mouse resting on SaveButton brings up its tip, as the user sees it.
TEST_F(MainWindowTest, HoveringOverSaveShowsItsTooltip) {
  HWND tooltip = g_mainWindowObjects.tooltip;
  RECT save{};
  GetWindowRect(Item(10015), &save);
  SetCursorPos(save.left - 40, save.top - 40 < 0 ? 0 : save.top - 40);
  PumpFor(200);
  SetCursorPos((save.left + save.right) / 2, (save.top + save.bottom) / 2);
  bool shown = PumpUntil([&] { return IsWindowVisible(tooltip) != FALSE; }, 10);
  EXPECT_TRUE(shown);
  if (shown) {
    EXPECT_EQ(TextOf(tooltip), L"現在の状態を保存") << Narrow(TextOf(tooltip));
  }
  SetCursorPos(WorkArea().right - 1, WorkArea().bottom - 1);
  PumpFor(200);
}

// --- Layouts and the work area --------------------------------------------

void ExpectLayout(bool compact) {
  SCOPED_TRACE(compact ? "compact" : "full");
  EXPECT_EQ(TextOf(g_main), compact ? L"Dorrowin" : L"Dorrowin v1.04");
  SIZE client = ClientSize();
  EXPECT_EQ(client.cx, compact ? 80 : 230);
  EXPECT_EQ(client.cy, compact ? 70 : 210);
  for (int id : kFullOnlyIds) EXPECT_EQ(IsWindowVisible(Item(id)) != FALSE, !compact) << id;
  for (const Placement& placement : kMoved) {
    EXPECT_TRUE(IsWindowVisible(Item(placement.id))) << placement.id;
    const RECT& wanted = compact ? placement.compact : placement.full;
    EXPECT_TRUE(SameRect(ClientRectOf(Item(placement.id)), wanted))
        << placement.id << " at " << Show(ClientRectOf(Item(placement.id)));
  }
  EXPECT_EQ(LabelText(10003), compact ? L"待機中" : L"ファイル・フォルダをドロップして下さい");
}

TEST_F(MainWindowTest, LayoutButtonSwitchesBetweenCompactAndFull) {
  ExpectLayout(true);
  EXPECT_EQ(Click(10017), 0);
  EXPECT_FALSE(g_settings.compactLayout.load());
  ExpectLayout(false);
  // The top-left corner stays where it was when there is room.
  EXPECT_EQ(WindowRectOf().left, 100);
  EXPECT_EQ(WindowRectOf().top, 100);
  Command(10017, kNotifyDoubleClicked);
  ExpectLayout(true);
  EXPECT_EQ(WindowRectOf().left, 100);
  EXPECT_EQ(WindowRectOf().top, 100);
}

TEST_F(MainWindowTest, TheWindowSizeIsTheLayoutsClientAreaPlusTheFrame) {
  SIZE compact = OuterSize(80, 70);
  RECT r = WindowRectOf();
  EXPECT_EQ(r.right - r.left, compact.cx);
  EXPECT_EQ(r.bottom - r.top, compact.cy);
  Click(10017);
  SIZE full = OuterSize(230, 210);
  r = WindowRectOf();
  EXPECT_EQ(r.right - r.left, full.cx);
  EXPECT_EQ(r.bottom - r.top, full.cy);
}

TEST_F(MainWindowTest, SwitchingToFullInTheBottomRightCornerMovesTheWindowIntoTheWorkArea) {
  RECT work = WorkArea();
  SIZE compact = OuterSize(80, 70);
  SIZE full = OuterSize(230, 210);
  PlaceWindow(work.right - compact.cx, work.bottom - compact.cy);
  Click(10017);
  RECT r = WindowRectOf();
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  EXPECT_EQ(r.left, work.right - full.cx);
  EXPECT_EQ(r.top, work.bottom - full.cy);
  // Back to compact: the corner stays, the window shrinks towards it.
  Click(10017);
  r = WindowRectOf();
  EXPECT_EQ(r.left, work.right - full.cx);
  EXPECT_EQ(r.top, work.bottom - full.cy);
}

TEST_F(MainWindowTest, AWindowAboveOrLeftOfTheScreenComesBackToItsEdge) {
  RECT work = WorkArea();
  PlaceWindow(work.left - 30, work.top - 50);
  RECT placed = WindowRectOf();
  ASSERT_EQ(placed.top, work.top - 50) << "the platform refused the position";
  Click(10017);
  EXPECT_EQ(WindowRectOf().top, work.top);
  EXPECT_EQ(WindowRectOf().left, work.left);
}

TEST_F(MainWindowTest, StoredPositionIsFittedIntoTheWorkAreaAtLoad) {
  RECT work = WorkArea();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  // The full layout stored at the work area's right edge.
  DWORD setting = 0x1B120 & ~(1u << 16);  // the defaults with the compact layout off
  DWORD position = (static_cast<DWORD>(work.right - 10) << 16) | static_cast<DWORD>(work.bottom - 10);
  RegSetValueExW(key, L"Setting", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&setting), 4);
  RegSetValueExW(key, L"WindowPos", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&position), 4);
  RegCloseKey(key);
  LoadSettings();
  EXPECT_FALSE(g_settings.compactLayout.load());
  ExpectLayout(false);
  SIZE full = OuterSize(230, 210);
  RECT r = WindowRectOf();
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  EXPECT_EQ(r.left, work.right - full.cx);
  EXPECT_EQ(r.top, work.bottom - full.cy);
}

// --- Commands through the window procedure --------------------------------

TEST_F(MainWindowTest, EverySettingLabelCycles) {
  Click(10017);  // full layout: every label is on screen
  const std::pair<int, std::vector<const wchar_t*>> cycles[] = {
      {10001, {L" パス：ツリー", L" パス：なし", L" パス：絶対パス", L" パス：相対パス"}},
      {10023, {L" パス区切り文字：/", L" パス区切り文字：\\"}},
      {10002, {L" 拡張子：なし", L" 拡張子：あり"}},
      {10008, {L" 項目：ファイルのみ", L" 項目：フォルダのみ", L" 項目：ファイルとフォルダ"}},
      {10009, {L" フォルダ内検索：しない", L" フォルダ内検索：する"}},
      {10010, {L" 常に手前に表示：OFF", L" 常に手前に表示：ON"}},
      {10011, {L" 透過表示：ON", L" 透過表示：OFF"}},
  };
  for (const auto& [id, texts] : cycles) {
    for (const wchar_t* text : texts) {
      EXPECT_EQ(Click(id), 0);
      EXPECT_EQ(LabelText(id), text) << id;
    }
  }
}

TEST_F(MainWindowTest, ADoubleClickAdvancesASettingTwice) {
  Command(10008, kNotifyClicked);
  Command(10008, kNotifyDoubleClicked);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FoldersOnly);
  EXPECT_EQ(LabelText(10008), L" 項目：フォルダのみ");
}

TEST_F(MainWindowTest, NotificationCodesOtherThanClicksAreIgnored) {
  Click(10017);
  const int ids[] = {10001, 10023, 10002, 10008, 10009, 10010, 10011, 10013, 10014, 10015, 10016, 10017, 10018};
  for (int id : ids) {
    for (int code : {STN_ENABLE, STN_DISABLE, 4, 0x100}) EXPECT_EQ(Command(id, code), 0);
  }
  EXPECT_EQ(LabelText(10001), L" パス：相対パス");
  EXPECT_EQ(LabelText(10008), L" 項目：ファイルとフォルダ");
  EXPECT_EQ(LabelText(10011), L" 透過表示：OFF");
  EXPECT_EQ(TextOf(g_main), L"Dorrowin v1.04");
  EXPECT_FALSE(IsIconic(g_main));
  EXPECT_FALSE(g_job.abortFlag.load());
  EXPECT_FALSE(StoredKeyExists());
}

TEST_F(MainWindowTest, IdsWithoutAnActionChangeNothing) {
  for (int id : {10003, 10004, 10005, 10006, 10007, 10012, 10019, 10020, 10021, 10022, 10000, 10024, 1}) {
    EXPECT_EQ(Command(id, kNotifyClicked), 0) << id;
    EXPECT_EQ(Command(id, kNotifyDoubleClicked), 0) << id;
  }
  EXPECT_EQ(LabelText(10001), L" パス：相対パス");
  EXPECT_TRUE(g_settings.compactLayout.load());
  EXPECT_FALSE(g_job.abortFlag.load());
}

TEST_F(MainWindowTest, MinimizeButtonMinimizesTheWindow) {
  Click(10014);
  EXPECT_TRUE(IsIconic(g_main));
  ShowWindow(g_main, SW_RESTORE);
  Pump();
  EXPECT_FALSE(IsIconic(g_main));
}

TEST_F(MainWindowTest, CancelSetsTheAbortFlagOnClickAndDoubleClick) {
  Click(10013);
  EXPECT_TRUE(g_job.abortFlag.load());
  g_job.abortFlag.store(false);
  Command(10013, kNotifyDoubleClicked);
  EXPECT_TRUE(g_job.abortFlag.load());
}

DWORD QueryDword(const wchar_t* name, DWORD* type) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  *type = REG_NONE;
  RegGetValueW(HKEY_CURRENT_USER, kProductKey, name, RRF_RT_ANY, type, &value, &size);
  return value;
}

std::wstring QueryString(const wchar_t* name) {
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  if (RegGetValueW(HKEY_CURRENT_USER, kProductKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return text;
}

TEST_F(MainWindowTest, SaveAndDeleteWorkOnTheRealRegistry) {
  ASSERT_FALSE(StoredKeyExists());
  EXPECT_FALSE(IsWindowEnabled(Item(10016)));
  SetWindowTextW(Item(10006), L"「");
  SetWindowTextW(Item(10007), L"」");
  SetWindowTextW(Item(10020), L"\\");
  EXPECT_EQ(Click(10015), 0);
  ASSERT_TRUE(StoredKeyExists());
  EXPECT_TRUE(IsWindowEnabled(Item(10016)));
  DWORD type = 0;
  EXPECT_EQ(QueryDword(L"Setting", &type), 0x1B120u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  RECT r = WindowRectOf();
  EXPECT_EQ(QueryDword(L"WindowPos", &type), (static_cast<DWORD>(r.left) << 16) | static_cast<DWORD>(r.top));
  EXPECT_EQ(QueryString(L"StrFF"), L"「");
  EXPECT_EQ(QueryString(L"StrFB"), L"」");
  EXPECT_EQ(QueryString(L"StrDF"), L"");
  EXPECT_EQ(QueryString(L"StrDB"), L"\\");

  // The stored state comes back at the next load.
  Click(10008);
  SetWindowTextW(Item(10006), L"x");
  LoadSettings();
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesAndFolders);
  EXPECT_EQ(LabelText(10008), L" 項目：ファイルとフォルダ");
  EXPECT_EQ(TextOf(Item(10006)), L"「");

  EXPECT_EQ(Click(10016), 0);
  EXPECT_FALSE(StoredKeyExists());
  HKEY maker = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillmoor", 0, KEY_READ, &maker), ERROR_SUCCESS);
  EXPECT_FALSE(IsWindowEnabled(Item(10016)));
  // The settings in memory and on screen stay.
  EXPECT_EQ(TextOf(Item(10006)), L"「");
}

TEST_F(MainWindowTest, WindowCommandsActWhileAJobRunsAndListingCommandsWait) {
  Click(10017);  // full layout
  TempFolder folder;
  folder.AddFile(u"a.txt");
  DropHandle drop = MakeDrop({folder.AddFile(u"b.txt")});
  // The worker's first step waits for this thread to take its messages, so
  // the job holds in Listing until the pump below.
  SendMessageW(g_main, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  ASSERT_EQ(g_status.load(), StatusState::Listing);
  for (int id : {10001, 10023, 10002, 10008, 10009}) {
    EXPECT_EQ(Click(id), 0);
    EXPECT_EQ(Command(id, kNotifyDoubleClicked), 0);
  }
  EXPECT_EQ(g_settings.pathForm, PathForm::Relative);
  EXPECT_EQ(g_settings.separator, u'\\');
  EXPECT_TRUE(g_settings.extensionShown);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesAndFolders);
  EXPECT_TRUE(g_settings.folderScan);
  EXPECT_EQ(LabelText(10001), L" パス：相対パス");
  ASSERT_EQ(g_status.load(), StatusState::Listing) << "the job ended before the refusals were seen";

  // Translucency, the layout and saving are allowed meanwhile.
  Click(10011);
  EXPECT_TRUE(g_settings.translucent);
  Click(10015);
  EXPECT_TRUE(StoredKeyExists());

  WaitForWorker();
  ASSERT_TRUE(PumpUntil([] { return g_status.load() == StatusState::Idle; }));
  EXPECT_EQ(ReadClipboard(), u"b.txt");
  Click(10001);
  EXPECT_EQ(g_settings.pathForm, PathForm::Tree);
  EXPECT_EQ(LabelText(10001), L" パス：ツリー");
}

// --- Drops ------------------------------------------------------------------

TEST_F(MainWindowTest, ADropListsToTheClipboardAndShowsTheOutcome) {
  TempFolder folder;
  std::u16string a = folder.AddFile(u"a10.txt");
  std::u16string b = folder.AddFile(u"a9.txt");
  std::u16string sub = folder.AddFolder(u"フォルダ");
  folder.AddFile(u"フォルダ/c.txt");
  WriteClipboard(u"before");
  LRESULT result = SendMessageW(g_main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({sub, a, b})), 0);
  EXPECT_EQ(result, 0);
  WaitForWorker();
  ASSERT_TRUE(PumpUntil([] { return g_status.load() == StatusState::Idle; }));
  EXPECT_EQ(Utf8(ReadClipboard()), Utf8(u"a9.txt\r\na10.txt\r\nフォルダ\r\nフォルダ\\c.txt"));
  EXPECT_EQ(LabelText(10003), L"完了！");
  EXPECT_TRUE(GetWindowLongW(g_main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "drops are accepted again";
  EXPECT_FALSE(IsWindowEnabled(Item(10013)));
  // The status timer brings the idle text back.
  EXPECT_EQ(SendMessageW(g_main, WM_TIMER, 1, 0), 0);
  EXPECT_EQ(LabelText(10003), L"待機中");
}

TEST_F(MainWindowTest, ADropWhileAJobRunsIsReleasedAndStartsNothing) {
  TempFolder folder;
  DropHandle first = MakeDrop({folder.AddFile(u"first.txt")});
  DropHandle second = MakeDrop({folder.AddFile(u"second.txt")});
  SendMessageW(g_main, WM_DROPFILES, reinterpret_cast<WPARAM>(first), 0);
  ASSERT_EQ(g_status.load(), StatusState::Listing);
  ASSERT_NE(GlobalSize(static_cast<HGLOBAL>(second)), 0u);
  SendMessageW(g_main, WM_DROPFILES, reinterpret_cast<WPARAM>(second), 0);
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(second)), 0u) << "the second drop was not released";
  WaitForWorker();
  ASSERT_TRUE(PumpUntil([] { return g_status.load() == StatusState::Idle; }));
  EXPECT_EQ(ReadClipboard(), u"first.txt");
}

// --- Timer, colours, painting -----------------------------------------------

TEST_F(MainWindowTest, OnlyTheStatusTimerRewritesTheStatus) {
  SetWindowTextW(Item(10003), L"x");
  EXPECT_EQ(SendMessageW(g_main, WM_TIMER, 2, 0), 0);
  EXPECT_EQ(LabelText(10003), L"x");
  SetTimer(g_main, 1, 60000, nullptr);
  EXPECT_EQ(SendMessageW(g_main, WM_TIMER, 1, 0), 0);
  EXPECT_EQ(LabelText(10003), L"待機中");
  // The timer was killed: killing it again fails.
  EXPECT_FALSE(KillTimer(g_main, 1));
}

TEST_F(MainWindowTest, StaticControlsGetBlackTextOnTheWindowColourAndNoBrush) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, RGB(0, 255, 0));
  LRESULT brush =
      SendMessageW(g_main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Item(10001)));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  DeleteDC(dc);
}

TEST_F(MainWindowTest, PaintingValidatesTheWindow) {
  InvalidateRect(g_main, nullptr, TRUE);
  RECT dirty{};
  ASSERT_TRUE(GetUpdateRect(g_main, &dirty, FALSE));
  EXPECT_EQ(SendMessageW(g_main, WM_PAINT, 0, 0), 0);
  EXPECT_FALSE(GetUpdateRect(g_main, &dirty, FALSE));
}

// --- Start-up and the end ----------------------------------------------------

TEST_F(MainWindowTest, DestroyingTheWindowEndsTheMessageLoopWithExitCodeZero) {
  // The window procedure's answer to WM_DESTROY is the quit message, which
  // ends the loop; the window itself is not destroyed by a sent message.
  // Should no quit message come, a guard ends the loop with another code.
  UINT_PTR guard = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); });
  EXPECT_EQ(SendMessageW(g_main, WM_DESTROY, 0, 0), 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  KillTimer(nullptr, guard);
  PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(), 7);
  EXPECT_TRUE(IsWindow(g_main));
}

TEST_F(MainWindowTest, CreatingTheWindowFailsWithoutItsClassAndTouchesNothing) {
  char16_t saved[kResourceTextCapacity];
  std::copy(std::begin(g_ui.className), std::end(g_ui.className), saved);
  std::u16string missing = u"DorrowinNoSuchClass";
  missing.copy(g_ui.className, missing.size());
  g_ui.className[missing.size()] = 0;
  EXPECT_FALSE(CreateMainWindow(GetModuleHandleW(nullptr)));
  std::copy(std::begin(saved), std::end(saved), g_ui.className);
  EXPECT_EQ(MainWindowHandle(), g_main);
  EXPECT_EQ(ControlHandle(Control::StatusLabel), Item(10003));
  EXPECT_EQ(g_status.load(), StatusState::Idle);
}

// --- Help --------------------------------------------------------------------

// Closes every message box that the window's thread shows, noting its
// caption, text, owner and buttons, until stopped.
class MessageBoxWatcher {
 public:
  struct Seen {
    std::wstring caption, text;
    HWND owner;
    std::vector<int> buttons;
    bool hasIcon;
  };

  explicit MessageBoxWatcher(DWORD thread) : thread_(thread), worker_([this] { Run(); }) {}
  ~MessageBoxWatcher() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
  }
  std::vector<Seen> seen() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    return seen_;
  }

 private:
  static BOOL CALLBACK Find(HWND window, LPARAM context) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window)) {
      *reinterpret_cast<HWND*>(context) = window;
      return FALSE;
    }
    return TRUE;
  }

  static BOOL CALLBACK Child(HWND window, LPARAM context) {
    auto* seen = reinterpret_cast<Seen*>(context);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (_wcsicmp(className, L"Button") == 0 && IsWindowVisible(window)) seen->buttons.push_back(GetDlgCtrlID(window));
    if (_wcsicmp(className, L"Static") == 0) {
      if (SendMessageW(window, STM_GETICON, 0, 0) != 0) seen->hasIcon = true;
      std::wstring text = TextOf(window);
      if (!text.empty()) seen->text = text;
    }
    return TRUE;
  }

  void Run() {
    while (!stop_) {
      HWND box = nullptr;
      EnumThreadWindows(thread_, Find, reinterpret_cast<LPARAM>(&box));
      if (box != nullptr) {
        Seen seen{TextOf(box), L"", GetWindow(box, GW_OWNER), {}, false};
        EnumChildWindows(box, Child, reinterpret_cast<LPARAM>(&seen));
        seen_.push_back(seen);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        PostMessageW(box, WM_CLOSE, 0, 0);
        while (IsWindow(box) && !stop_) Sleep(10);
      }
      Sleep(20);
    }
  }

  DWORD thread_;
  std::atomic<bool> stop_{false};
  std::vector<Seen> seen_;
  std::thread worker_;
};

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring text(path);
  return text.substr(0, text.rfind(L'\\'));
}

TEST_F(MainWindowTest, TheReadmePathIsBesideTheProgramsOwnFile) {
  ASSERT_NE(g_ui.readmePath, nullptr);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(g_ui.readmePath)), ModuleFolder() + L"\\readme.txt");
}

TEST_F(MainWindowTest, HelpWithoutAReadmeFileShowsTheWarning) {
  std::wstring readme = ModuleFolder() + L"\\readme.txt";
  ASSERT_EQ(GetFileAttributesW(readme.c_str()), INVALID_FILE_ATTRIBUTES) << "a readme.txt lies beside the tests";
  Click(10017);  // the full layout shows the help button
  MessageBoxWatcher watcher(GetCurrentThreadId());
  EXPECT_EQ(Click(10018), 0);
  std::vector<MessageBoxWatcher::Seen> seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, L"Dorrowin v1.04");
  EXPECT_EQ(seen[0].text, L"readme.txt を開けませんでした") << Narrow(seen[0].text);
  EXPECT_EQ(seen[0].owner, g_main);
  EXPECT_EQ(seen[0].buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(seen[0].hasIcon);
  // Nothing else changed.
  EXPECT_EQ(TextOf(g_main), L"Dorrowin v1.04");
  EXPECT_EQ(g_status.load(), StatusState::Idle);
}

struct WindowSearch {
  std::wstring part;
  HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (IsWindowVisible(window) && TextOf(window).find(search->part) != std::wstring::npos) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

TEST_F(MainWindowTest, HelpOpensAnExistingReadmeWithoutAWarning) {
  TempFolder folder;
  std::wstring name = L"dorrowin-help-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  std::filesystem::path file = folder.native() / name;
  std::ofstream(file) << "help";
  std::u16string path = EnginePath(file);
  // A fresh Wine prefix has the text-file type but does not tie ".txt" to
  // it (and reads no per-user classes): tie it while the test runs, as
  // Windows has it.
  HKEY extension = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".txt", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &extension,
                            &disposition),
            ERROR_SUCCESS);
  wchar_t type[64] = {};
  DWORD typeSize = sizeof(type);
  bool typed = RegQueryValueExW(extension, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(type), &typeSize) ==
               ERROR_SUCCESS;
  if (!typed) RegSetValueExW(extension, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), 16);
  RegCloseKey(extension);

  char16_t* saved = g_ui.readmePath;
  g_ui.readmePath = path.data();
  MessageBoxWatcher watcher(GetCurrentThreadId());
  Click(10018);
  g_ui.readmePath = saved;
  if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyW(HKEY_CLASSES_ROOT, L".txt");
  std::vector<MessageBoxWatcher::Seen> seen = watcher.seen();
  EXPECT_TRUE(seen.empty());
  for (const auto& box : seen) ADD_FAILURE() << Narrow(box.caption) << ": " << Narrow(box.text);
  // The shell started a viewer with the file: close it again.
  WindowSearch search{name, nullptr};
  PumpUntil([&] {
    search.found = nullptr;
    EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  EXPECT_NE(search.found, nullptr) << "no window shows the opened file";
  if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
}

// --- The message filter for drops from a lower integrity level ---------------

// Elevation cannot be had under Wine, whose filter call accepts anything:
// the calls the window makes are recorded instead.
struct FilterCall {
  HWND window;
  UINT message;
  DWORD action;
};
std::vector<FilterCall> g_filterCalls;
UINT g_refusedMessage = 0;

BOOL WINAPI RecordingFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
  g_filterCalls.push_back(FilterCall{window, message, action});
  return message != g_refusedMessage;
}

TEST_F(MainWindowTest, DropMessagesAreLetThroughTheMessageFilterOfThisWindow) {
  g_filterCalls.clear();
  g_refusedMessage = 0;
  EXPECT_TRUE(AllowDropsFromLowerIntegrity(g_main, RecordingFilter));
  ASSERT_EQ(g_filterCalls.size(), 3u);
  std::vector<UINT> messages;
  for (const FilterCall& call : g_filterCalls) {
    EXPECT_EQ(call.window, g_main);
    EXPECT_EQ(call.action, static_cast<DWORD>(MSGFLT_ALLOW));
    messages.push_back(call.message);
  }
  EXPECT_EQ(messages, (std::vector<UINT>{WM_DROPFILES, WM_COPYDATA, 0x0049}));
  // A refusal is reported, and the other messages are still let through.
  g_filterCalls.clear();
  g_refusedMessage = WM_COPYDATA;
  EXPECT_FALSE(AllowDropsFromLowerIntegrity(g_main, RecordingFilter));
  EXPECT_EQ(g_filterCalls.size(), 3u);
  // The system's own call accepts the window.
  EXPECT_TRUE(AllowDropsFromLowerIntegrity(g_main));
}

// --- Resources ---------------------------------------------------------------

TEST(Resources, WindowTextsComeFromTheStringTable) {
  wchar_t text[100] = {};
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_GT(LoadStringW(instance, 103, text, 100), 0);
  EXPECT_STREQ(text, L"Dorrowin v1.04");
  ASSERT_GT(LoadStringW(instance, 104, text, 100), 0);
  EXPECT_STREQ(text, L"Dorrowin");
  ASSERT_GT(LoadStringW(instance, 109, text, 100), 0);
  EXPECT_STREQ(text, L"Dorrowin");
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

TEST(Resources, IconGroupHoldsThreeSixteenColourImages) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(107), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr);
  const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(instance, found)));
  ASSERT_EQ(header->count, 3);
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  std::vector<int> sizes;
  for (int i = 0; i < header->count; ++i) {
    sizes.push_back(entries[i].width);
    EXPECT_EQ(entries[i].height, entries[i].width);
    EXPECT_EQ(entries[i].bitCount, 4);
    EXPECT_EQ(entries[i].colourCount, 16);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(107), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, size);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
  }
  EXPECT_EQ(FindResourceW(instance, MAKEINTRESOURCEW(108), RT_GROUP_ICON), nullptr);
}

TEST(Resources, ManifestAsksForCommonControlsSixAndLongPathsButNoDpiAwareness) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  std::string manifest(static_cast<const char*>(LockResource(LoadResource(instance, found))),
                       SizeofResource(instance, found));
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
  EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos);
}

// The tooltip control in use is that of the common controls' version 6,
// which the manifest asks for: the library holding its window procedure is
// the side-by-side assembly of version 6. (Wine's copy reports 5.81 from
// DllGetVersion whichever assembly it is loaded as, so the path tells.)
TEST_F(MainWindowTest, TheTooltipControlComesFromCommonControlsSix) {
  auto procedure = reinterpret_cast<LPCWSTR>(GetClassLongPtrW(g_mainWindowObjects.tooltip, GCLP_WNDPROC));
  HMODULE module = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, procedure, &module));
  wchar_t file[MAX_PATH] = {};
  GetModuleFileNameW(module, file, MAX_PATH);
  std::wstring path = file;
  for (wchar_t& ch : path) ch = towlower(ch);
  EXPECT_NE(path.find(L"\\winsxs\\"), std::wstring::npos) << Narrow(file);
  EXPECT_NE(path.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos) << Narrow(file);
  EXPECT_NE(path.find(L"\\comctl32.dll"), std::wstring::npos) << Narrow(file);
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  wchar_t* value = nullptr;
  UINT length = 0;
  std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
  if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) return L"<missing>";
  return std::wstring(value);
}

TEST(Resources, VersionInformationNamesTheProductAndVersion) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(found, nullptr);
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
  std::vector<BYTE> block(data, data + SizeofResource(instance, found));
  block.resize(block.size() * 2);  // VerQueryValueW may need room of its own
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(4, 1));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(4, 1));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(VersionString(block, L"ProductName"), L"Dorrowin");
  EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.04");
  EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.04");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"dorrowin.exe");
  EXPECT_EQ(VersionString(block, L"CompanyName"), L"Quillmoor");
}

}  // namespace
