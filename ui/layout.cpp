#include "ui/layout.h"

#include "platform/window.h"
#include "resources/resource.h"
#include "ui/window_job.h"

const char16_t kFullTitle[] = u"" DORROWIN_FULL_TITLE;

namespace {

constexpr char16_t kCompactTitle[] = u"" DORROWIN_COMPACT_TITLE;

// The client areas' width and height, of the full layout, then the compact one.
constexpr int32_t kClientSizes[2][2] = {{230, 210}, {80, 70}};

// Every control's place in the full layout, and for the five that the
// compact layout keeps, their place there (width 0: only the full layout shows it).
struct Placement {
  Control control;
  DesignRect full, compact;
};

constexpr Placement kPlacements[] = {
    {Control::PathFormLabel, {5, 5, 85, 20}},
    {Control::SeparatorLabel, {95, 5, 130, 20}},
    {Control::ExtensionLabel, {5, 30, 85, 20}},
    {Control::ItemsLabel, {95, 30, 130, 20}},
    {Control::FolderScanLabel, {95, 55, 130, 20}},
    {Control::FilePrefixCaption, {5, 80, 130, 20}},
    {Control::FilePrefixEdit, {120, 80, 45, 19}},
    {Control::FileSuffixCaption, {165, 80, 20, 20}},
    {Control::FileSuffixEdit, {180, 80, 45, 19}},
    {Control::FolderPrefixCaption, {5, 100, 130, 20}},
    {Control::FolderPrefixEdit, {120, 100, 45, 19}},
    {Control::FolderSuffixCaption, {165, 100, 20, 20}},
    {Control::FolderSuffixEdit, {180, 100, 45, 19}},
    {Control::StatusLabel, {5, 125, 220, 20}, {5, 5, 70, 20}},
    {Control::CancelButton, {30, 145, 170, 20}, {5, 25, 70, 20}},
    {Control::TopmostLabel, {40, 170, 105, 15}},
    {Control::TranslucentLabel, {150, 170, 75, 15}},
    {Control::SaveButton, {5, 170, 30, 15}, {5, 50, 30, 15}},
    {Control::DeleteButton, {5, 190, 30, 15}},
    {Control::HelpButton, {40, 190, 15, 15}},
    {Control::LayoutButton, {60, 190, 15, 15}, {40, 50, 15, 15}},
    {Control::MinimizeButton, {80, 190, 15, 15}, {60, 50, 15, 15}},
    {Control::CreditLabel, {100, 188, 125, 30}},
};

}  // namespace

void LayoutClientSize(bool compact, int32_t dpi, int32_t* width, int32_t* height) {
  *width = DpiScale(kClientSizes[compact][0], dpi);
  *height = DpiScale(kClientSizes[compact][1], dpi);
}

// The window keeps its top-left corner where it can: held to its monitor's
// work area's left and top edges, then pushed left and up just enough to fit.
void SwitchLayout(AppState* state, bool compact) {
  state->settings.compactLayout = compact;
  ShowStatus(state);

  WindowRect window = g_window.windowRect(state->window);
  WindowRect work = g_window.workArea(state->window);
  int32_t left = window.left < work.left ? work.left : window.left;
  int32_t top = window.top < work.top ? work.top : window.top;

  int32_t dpi = g_window.dpi(state->window);
  for (const Placement& placement : kPlacements) {
    if (placement.compact.width == 0) g_window.showControl(state->window, placement.control, !compact);
  }
  for (const Placement& placement : kPlacements) {
    if (placement.compact.width == 0) continue;
    DesignRect r = ScaledPlace(placement.control, compact, dpi);
    g_window.moveControl(state->window, placement.control, r.x, r.y, r.width, r.height);
  }
  g_window.setTitle(state->window, compact ? kCompactTitle : kFullTitle);

  int32_t clientWidth = 0, clientHeight = 0, width = 0, height = 0;
  LayoutClientSize(compact, dpi, &clientWidth, &clientHeight);
  g_window.outerSize(state->window, clientWidth, clientHeight, &width, &height);
  int32_t x = left + width > work.right ? work.right - width : left;
  int32_t y = top + height > work.bottom ? work.bottom - height : top;
  g_window.moveWindow(state->window, x, y, width, height, true);
}

DesignRect ScaledPlace(Control control, bool compact, int32_t dpi) {
  for (const Placement& placement : kPlacements) {
    if (placement.control != control) continue;
    const DesignRect& r = compact && placement.compact.width != 0 ? placement.compact : placement.full;
    return DesignRect{DpiScale(r.x, dpi), DpiScale(r.y, dpi), DpiScale(r.width, dpi), DpiScale(r.height, dpi)};
  }
  return DesignRect{};
}
