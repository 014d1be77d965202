#include "ui/layout.h"

#include <cstdint>

#include "platform/window.h"
#include "resources/resource.h"
#include "ui/window_job.h"

const char16_t kFullTitle[] = u"" DORROWIN_FULL_TITLE;
const char16_t kCompactTitle[] = u"" DORROWIN_COMPACT_TITLE;

namespace {

// Shown in the full layout only, in the order they are hidden and shown.
constexpr Control kFullOnlyControls[] = {
    Control::PathFormLabel,     Control::SeparatorLabel,      Control::ExtensionLabel,
    Control::ItemsLabel,        Control::FolderScanLabel,     Control::FilePrefixCaption,
    Control::FileSuffixCaption, Control::FolderPrefixCaption, Control::FolderSuffixCaption,
    Control::FilePrefixEdit,    Control::FileSuffixEdit,      Control::FolderPrefixEdit,
    Control::FolderSuffixEdit,  Control::TopmostLabel,        Control::TranslucentLabel,
    Control::CreditLabel,       Control::DeleteButton,        Control::HelpButton,
};

struct Placement {
  Control control;
  int32_t compact[4];  // x, y, width, height in the compact layout
  int32_t full[4];     // and in the full layout
};

constexpr Placement kMovedControls[] = {
    {Control::StatusLabel, {5, 5, 70, 20}, {5, 125, 220, 20}},
    {Control::CancelButton, {5, 25, 70, 20}, {30, 145, 170, 20}},
    {Control::SaveButton, {5, 50, 30, 15}, {5, 170, 30, 15}},
    {Control::LayoutButton, {40, 50, 15, 15}, {60, 190, 15, 15}},
    {Control::MinimizeButton, {60, 50, 15, 15}, {80, 190, 15, 15}},
};

}  // namespace

void LayoutClientSize(bool compact, int32_t dpi, int32_t* width, int32_t* height) {
  *width = DpiScale(compact ? kCompactClientWidth : kFullClientWidth, dpi);
  *height = DpiScale(compact ? kCompactClientHeight : kFullClientHeight, dpi);
}

// The window keeps its top-left corner where it can: it is first held to
// the work area's left and top edges, then pushed left and up just enough
// for its right and bottom edges to stay inside the work area. The work
// area is that of the monitor holding the window.
void SwitchLayout(AppState* state, bool value, bool set) {
  bool compact = set ? value : !state->settings.compactLayout;
  state->settings.compactLayout = compact;
  ShowStatus(state);

  WindowRect window = g_window.windowRect(state->window);
  WindowRect work = g_window.workArea(state->window);
  int32_t left = window.left < work.left ? work.left : window.left;
  int32_t top = window.top < work.top ? work.top : window.top;

  int32_t dpi = g_window.dpi(state->window);
  for (Control control : kFullOnlyControls) g_window.showControl(state->window, control, !compact);
  for (const Placement& placement : kMovedControls) {
    const int32_t* r = compact ? placement.compact : placement.full;
    g_window.moveControl(state->window, placement.control, DpiScale(r[0], dpi), DpiScale(r[1], dpi),
                         DpiScale(r[2], dpi), DpiScale(r[3], dpi));
  }
  g_window.setTitle(state->window, compact ? kCompactTitle : kFullTitle);

  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  LayoutClientSize(compact, dpi, &clientWidth, &clientHeight);
  int32_t width = 0;
  int32_t height = 0;
  g_window.outerSize(state->window, clientWidth, clientHeight, &width, &height);
  int32_t x = left + width > work.right ? work.right - width : left;
  int32_t y = top + height > work.bottom ? work.bottom - height : top;
  g_window.moveWindow(state->window, x, y, width, height, true);
}

bool CompactPlace(Control control, int32_t place[4]) {
  for (const Placement& placement : kMovedControls) {
    if (placement.control != control) continue;
    for (int i = 0; i < 4; ++i) place[i] = placement.compact[i];
    return true;
  }
  return false;
}
