#pragma once
// The window's side of SAV, DEL and start-up: the stored settings applied to
// the window, and the window's state saved.

#include "ui/app_state.h"

// Applies what is stored, or keeps the settings in memory, then brings every
// label, the z-order, alpha, layout and place in line with them. Without a
// stored key DeleteButton is disabled.
void LoadSettings(AppState* state);
// Saves the settings, the window's place and the four edit boxes' texts;
// nothing is written when storage runs out or the key cannot be had.
void SaveSettings(AppState* state);
// DEL: DeleteButton is disabled and the stored values are removed.
void DeleteSettings(AppState* state);
