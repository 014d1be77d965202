#pragma once
// The full and compact layouts of the main window.

#include <cstdint>

#include "ui/app_state.h"

// Every position and size of the layouts is written once, in pixels at this DPI.
constexpr int32_t kDesignDpi = 96;

// A design position or size (not negative) at a DPI, rounded as MulDiv rounds.
constexpr int32_t DpiScale(int32_t value, int32_t dpi) {
  return static_cast<int32_t>((int64_t{value} * dpi + kDesignDpi / 2) / kDesignDpi);
}

void LayoutClientSize(bool compact, int32_t dpi, int32_t* width, int32_t* height);

// The window rearranged for the layout and fitted into its work area.
void SwitchLayout(AppState* state, bool compact);

struct DesignRect {
  int32_t x, y, width, height;
};
// A control's place in a layout at a DPI: where the compact layout moves it,
// or its full-layout place (also for the controls the compact layout hides).
DesignRect ScaledPlace(Control control, bool compact, int32_t dpi);

// The full layout's window title, also the help warning's caption.
extern const char16_t kFullTitle[];
