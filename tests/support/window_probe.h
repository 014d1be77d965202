#pragma once
// What the main window shows and what was written to it, read the same way
// in both builds: natively from the recording layer, under Wine from real
// windows (a hidden stand-in main window with all 23 controls, whose
// controls are subclassed to note every text written and every change of
// their enabled state).

#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

// Puts the probe's window in place for a test: every control with empty
// text, shown, enabled except CancelButton; drops accepted, no timer, no
// close request; the main window at (0, 0), 100 x 100, topmost, opaque.
// The history of writes starts empty.
void ResetWindowProbe();
// Puts back the window that was in place before ResetWindowProbe.
void RestoreWindowProbe();

// Texts written to a control since the reset, in order.
std::vector<std::u16string> TextWritesTo(Control control);

// Changes of a control's enabled state since the reset, in order.
struct EnableChange {
  Control control;
  bool enabled;
  bool operator==(const EnableChange& other) const {
    return control == other.control && enabled == other.enabled;
  }
};
std::vector<EnableChange> EnableChanges();

std::u16string ControlTextNow(Control control);
bool ControlEnabledNow(Control control);
bool ControlShownNow(Control control);
// In the main window's client coordinates.
WindowRect ControlRectNow(Control control);
bool DropsAcceptedNow();
bool WindowTopmostNow();
int WindowAlphaNow();
std::u16string WindowTitleNow();

// Whether the status timer is armed; the probe kills it.
bool TakeStatusTimer();
// Close requests posted to the main window since the last call; the probe
// removes them.
int TakeCloseRequests();

// Waits until done() holds, letting the window's thread answer the
// messages that a worker sends it meanwhile. False after a minute without.
bool PumpUntil(const std::function<bool()>& done);
