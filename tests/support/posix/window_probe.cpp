#include <chrono>
#include <map>
#include <optional>
#include <thread>

#include "platform/posix/recording_window.h"
#include "tests/support/window_probe.h"

// The recording layer keeps every call; the state after the reset is read
// back from the calls recorded since.

namespace {

constexpr Control kAllControls[] = {
    Control::PathFormLabel,     Control::ExtensionLabel,   Control::StatusLabel,
    Control::FilePrefixCaption, Control::FileSuffixCaption, Control::FilePrefixEdit,
    Control::FileSuffixEdit,    Control::ItemsLabel,       Control::FolderScanLabel,
    Control::TopmostLabel,      Control::TranslucentLabel, Control::CreditLabel,
    Control::CancelButton,      Control::MinimizeButton,   Control::SaveButton,
    Control::DeleteButton,      Control::LayoutButton,     Control::HelpButton,
    Control::FolderPrefixEdit,  Control::FolderSuffixEdit, Control::FolderPrefixCaption,
    Control::FolderSuffixCaption, Control::SeparatorLabel,
};

size_t g_closesTaken = 0;

// The last recorded call of an operation, if any.
std::optional<WindowEvent> Last(const char* operation) {
  std::vector<WindowEvent> events = RecordedWindowEvents();
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (it->operation == operation) return *it;
  }
  return std::nullopt;
}

}  // namespace

void ResetWindowProbe() {
  ResetRecordedWindow();
  for (Control control : kAllControls) {
    g_window.enableControl(control, control != Control::CancelButton);
    g_window.showControl(control, true);
  }
  ClearRecordedWindowEvents();
  g_closesTaken = 0;
}

void RestoreWindowProbe() {}

std::vector<std::u16string> TextWritesTo(Control control) {
  std::vector<std::u16string> texts;
  for (const WindowEvent& event : RecordedWindowEvents()) {
    if (event.operation == "setControlText" && event.control == control) texts.push_back(event.text);
  }
  return texts;
}

std::vector<EnableChange> EnableChanges() {
  std::map<Control, bool> state;
  for (Control control : kAllControls) state[control] = control != Control::CancelButton;
  std::vector<EnableChange> changes;
  for (const WindowEvent& event : RecordedWindowEvents()) {
    if (event.operation != "enableControl") continue;
    bool enabled = event.values[0] != 0;
    if (state[event.control] == enabled) continue;
    state[event.control] = enabled;
    changes.push_back(EnableChange{event.control, enabled});
  }
  return changes;
}

std::u16string ControlTextNow(Control control) { return RecordedControlText(control); }
bool ControlEnabledNow(Control control) { return RecordedControlEnabled(control); }
bool ControlShownNow(Control control) { return RecordedControlShown(control); }

WindowRect ControlRectNow(Control control) {
  std::vector<WindowEvent> events = RecordedWindowEvents();
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (it->operation == "moveControl" && it->control == control) {
      int32_t x = static_cast<int32_t>(it->values[0]);
      int32_t y = static_cast<int32_t>(it->values[1]);
      return WindowRect{x, y, x + static_cast<int32_t>(it->values[2]), y + static_cast<int32_t>(it->values[3])};
    }
  }
  return WindowRect{0, 0, 0, 0};
}

bool DropsAcceptedNow() {
  std::optional<WindowEvent> last = Last("acceptDrops");
  return !last || last->values[0] != 0;
}

bool WindowTopmostNow() {
  std::optional<WindowEvent> last = Last("setTopmost");
  return !last || last->values[0] != 0;
}

int WindowAlphaNow() {
  std::optional<WindowEvent> last = Last("setAlpha");
  return !last ? 255 : static_cast<int>(last->values[0]);
}

std::u16string WindowTitleNow() {
  std::optional<WindowEvent> last = Last("setTitle");
  return !last ? std::u16string() : last->text;
}

bool TakeStatusTimer() {
  bool armed = false;
  for (const WindowEvent& event : RecordedWindowEvents()) {
    if (event.operation == "armStatusTimer") armed = true;
    if (event.operation == "killStatusTimer") armed = false;
  }
  g_window.killStatusTimer();
  return armed;
}

int TakeCloseRequests() {
  size_t count = 0;
  for (const WindowEvent& event : RecordedWindowEvents()) {
    if (event.operation == "postClose") ++count;
  }
  int fresh = static_cast<int>(count - g_closesTaken);
  g_closesTaken = count;
  return fresh;
}

bool PumpUntil(const std::function<bool()>& done) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}
