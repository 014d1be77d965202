#pragma once
// The full and compact layouts of the main window.

#include <cstdint>

#include "ui/app_state.h"

// The client areas of the two layouts.
constexpr int32_t kFullClientWidth = 230;
constexpr int32_t kFullClientHeight = 210;
constexpr int32_t kCompactClientWidth = 80;
constexpr int32_t kCompactClientHeight = 70;

// Set mode stores value in compactLayout, cycle mode inverts it; then the
// window is rearranged for the layout and fitted into its work area.
void SwitchLayout(AppState* state, bool value, bool set);

// The window titles of the two layouts.
extern const char16_t kFullTitle[];
extern const char16_t kCompactTitle[];
