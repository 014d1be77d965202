#include <map>
#include <mutex>

#include "platform/posix/recording_window.h"

namespace {

struct ControlState {
  std::u16string text;
  bool enabled = true;
  bool shown = true;
};

// The worker thread writes labels while tests read, hence the lock.
std::mutex g_lock;
std::map<Control, ControlState> g_controls;
std::vector<WindowEvent> g_events;
WindowRect g_rect{0, 0, 100, 100};
WindowRect g_workArea{0, 0, 1280, 984};

// Frame of the main window's style: caption 25, borders 3 (as Wine draws a
// tool window), so outer size = client + (6, 28).
constexpr int32_t kFrameWidth = 6;
constexpr int32_t kFrameHeight = 28;

void Record(const char* operation, Control control, const std::u16string& text, int64_t a = 0,
            int64_t b = 0, int64_t c = 0, int64_t d = 0) {
  g_events.push_back(WindowEvent{operation, control, text, {a, b, c, d}});
}

int32_t RecControlTextLength(Control control) {
  std::lock_guard<std::mutex> hold(g_lock);
  return static_cast<int32_t>(g_controls[control].text.size());
}

int32_t RecControlText(Control control, char16_t* buffer, int32_t capacity) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (capacity <= 0) return 0;
  const std::u16string& text = g_controls[control].text;
  int32_t n = static_cast<int32_t>(text.size());
  if (n > capacity - 1) n = capacity - 1;
  text.copy(buffer, static_cast<size_t>(n));
  buffer[n] = 0;
  return n;
}

void RecSetControlText(Control control, const char16_t* text) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_controls[control].text = text;
  Record("setControlText", control, text);
}

void RecEnableControl(Control control, bool enabled) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_controls[control].enabled = enabled;
  Record("enableControl", control, u"", enabled);
}

void RecShowControl(Control control, bool shown) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_controls[control].shown = shown;
  Record("showControl", control, u"", shown);
}

void RecMoveControl(Control control, int32_t x, int32_t y, int32_t width, int32_t height) {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("moveControl", control, u"", x, y, width, height);
}

void RecSetTopmost(bool topmost) {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("setTopmost", Control{}, u"", topmost);
}

void RecSetAlpha(uint8_t alpha) {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("setAlpha", Control{}, u"", alpha);
}

void RecSetTitle(const char16_t* title) {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("setTitle", Control{}, title);
}

WindowRect RecWindowRect() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_rect;
}

void RecMoveWindow(int32_t x, int32_t y, int32_t width, int32_t height, bool repaint) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_rect = WindowRect{x, y, x + width, y + height};
  Record("moveWindow", Control{}, u"", x, y, width, height);
  (void)repaint;
}

void RecPlaceWindow(int32_t x, int32_t y) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_rect = WindowRect{x, y, x + (g_rect.right - g_rect.left), y + (g_rect.bottom - g_rect.top)};
  Record("placeWindow", Control{}, u"", x, y);
}

void RecOuterSize(int32_t clientWidth, int32_t clientHeight, int32_t* width, int32_t* height) {
  *width = clientWidth + kFrameWidth;
  *height = clientHeight + kFrameHeight;
}

WindowRect RecWorkArea() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_workArea;
}

void RecAcceptDrops(bool accept) {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("acceptDrops", Control{}, u"", accept);
}

void RecArmStatusTimer() {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("armStatusTimer", Control{}, u"");
}

void RecKillStatusTimer() {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("killStatusTimer", Control{}, u"");
}

void RecPostClose() {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("postClose", Control{}, u"");
}

void RecMinimize() {
  std::lock_guard<std::mutex> hold(g_lock);
  Record("minimize", Control{}, u"");
}

}  // namespace

std::vector<WindowEvent> RecordedWindowEvents() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_events;
}

void ClearRecordedWindowEvents() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_events.clear();
}

std::u16string RecordedControlText(Control control) {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_controls[control].text;
}

bool RecordedControlEnabled(Control control) {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_controls[control].enabled;
}

bool RecordedControlShown(Control control) {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_controls[control].shown;
}

void ResetRecordedWindow() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_controls.clear();
  g_events.clear();
  g_rect = WindowRect{0, 0, 100, 100};
  g_workArea = WindowRect{0, 0, 1280, 984};
}

void SetRecordedWindowRect(WindowRect rect) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_rect = rect;
}

void SetRecordedWorkArea(WindowRect rect) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_workArea = rect;
}

WindowApi g_window{RecControlTextLength, RecControlText, RecSetControlText, RecEnableControl,
                   RecShowControl,       RecMoveControl, RecSetTopmost,     RecSetAlpha,
                   RecSetTitle,          RecWindowRect,  RecMoveWindow,     RecPlaceWindow,
                   RecOuterSize,         RecWorkArea,    RecAcceptDrops,    RecArmStatusTimer,
                   RecKillStatusTimer,   RecPostClose,      RecMinimize};
