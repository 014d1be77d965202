#pragma once
// The full and compact layouts of the main window.

// Set mode stores value in compactLayout, cycle mode inverts it; then the
// window is rearranged for the layout and fitted into its work area.
void SwitchLayout(bool value, bool set);

// The window titles of the two layouts.
extern const char16_t kFullTitle[];
extern const char16_t kCompactTitle[];
