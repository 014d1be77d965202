#pragma once
// The main window and its controls, addressed by name, as the portable code
// sees them. Every member but postJobReport runs on the window's thread only.

#include <cstdint>

// The 23 child controls with their fixed control ids.
enum class Control : int32_t {
  PathFormLabel = 10001,
  ExtensionLabel = 10002,
  StatusLabel = 10003,
  FilePrefixCaption = 10004,
  FileSuffixCaption = 10005,
  FilePrefixEdit = 10006,
  FileSuffixEdit = 10007,
  ItemsLabel = 10008,
  FolderScanLabel = 10009,
  TopmostLabel = 10010,
  TranslucentLabel = 10011,
  CreditLabel = 10012,
  CancelButton = 10013,
  MinimizeButton = 10014,
  SaveButton = 10015,
  DeleteButton = 10016,
  LayoutButton = 10017,
  HelpButton = 10018,
  FolderPrefixEdit = 10019,
  FolderSuffixEdit = 10020,
  FolderPrefixCaption = 10021,
  FolderSuffixCaption = 10022,
  SeparatorLabel = 10023,
};
constexpr int32_t kFirstControlId = 10001;
constexpr int32_t kLastControlId = 10023;

// The main window's platform objects (Win32: handles and fonts); opaque here.
struct MainWindow;

struct WindowRect {
  int32_t left, top, right, bottom;
};

struct WindowApi {
  // An edit box's text: its length in units, and a copy into buffer
  // (capacity in units, terminator included).
  int32_t (*controlTextLength)(MainWindow* window, Control control);
  int32_t (*controlText)(MainWindow* window, Control control, char16_t* buffer, int32_t capacity);
  void (*setControlText)(MainWindow* window, Control control, const char16_t* text);
  void (*enableControl)(MainWindow* window, Control control, bool enabled);
  void (*showControl)(MainWindow* window, Control control, bool shown);
  void (*moveControl)(MainWindow* window, Control control, int32_t x, int32_t y, int32_t width, int32_t height);
  void (*setTopmost)(MainWindow* window, bool topmost);
  void (*setAlpha)(MainWindow* window, uint8_t alpha);
  void (*setTitle)(MainWindow* window, const char16_t* title);
  WindowRect (*windowRect)(MainWindow* window);
  void (*moveWindow)(MainWindow* window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint);
  // Moves the top-left corner only, without repainting.
  void (*placeWindow)(MainWindow* window, int32_t x, int32_t y);
  // Outer size of the main window for a client area of the given size.
  void (*outerSize)(MainWindow* window, int32_t clientWidth, int32_t clientHeight, int32_t* width, int32_t* height);
  // Work area of the monitor that holds the main window.
  WindowRect (*workArea)(MainWindow* window);
  void (*acceptDrops)(MainWindow* window, bool accept);
  // The status timer: 4000 ms.
  void (*armStatusTimer)(MainWindow* window);
  void (*killStatusTimer)(MainWindow* window);
  void (*postClose)(MainWindow* window);
  // Hands a job's report to the window's thread (a posted message); called
  // from the worker thread.
  void (*postJobReport)(MainWindow* window, int32_t report);
  void (*minimize)(MainWindow* window);
  // The DPI the window is laid out for (96 at 100 %): its monitor's.
  int32_t (*dpi)(MainWindow* window);
};

// The build's implementation; tests may replace single members.
extern WindowApi g_window;
