#pragma once
// The full and compact layouts of the main window.

#include <cstdint>

#include "ui/app_state.h"

// The design's DPI: every position and size of the layouts and the controls
// is written once, in pixels at this DPI.
constexpr int32_t kDesignDpi = 96;

// A design position or size (not negative) at a window's DPI, rounded to the
// nearest pixel as MulDiv(value, dpi, 96) rounds.
constexpr int32_t DpiScale(int32_t value, int32_t dpi) {
  return static_cast<int32_t>((int64_t{value} * dpi + kDesignDpi / 2) / kDesignDpi);
}

// The client area of a layout at a DPI.
void LayoutClientSize(bool compact, int32_t dpi, int32_t* width, int32_t* height);

// Stores the layout in compactLayout; then the window is rearranged for it
// and fitted into its work area.
void SwitchLayout(AppState* state, bool compact);

// A control's place at the design's DPI.
struct DesignRect {
  int32_t x, y, width, height;
};
// A control's place in a layout: its full-layout place, or where the compact
// layout moves it (the controls it hides keep their full-layout places).
DesignRect DesignPlace(Control control, bool compact);

// The full layout's window title, also the help warning's caption.
extern const char16_t kFullTitle[];
