#pragma once
// The clickable labels: the settings they show and step through, and the
// buttons' commands, SAV and DEL among them.

#include <cstdint>

#include "ui/app_state.h"

enum class CommandOutcome {
  Handled,     // the id has an action (carried out, refused or ignored): result 0
  NotHandled,  // no action for this id: the default window procedure gets it
};

// Routes one command. Only the clicked and double-clicked codes act, so a
// double click acts as one more click; the five listing settings act only
// while no job runs.
CommandOutcome RouteCommand(AppState* state, int32_t controlId, int32_t notifyCode);
// Shows the setting that label shows, as it is (the blank first).
void ShowSetting(AppState* state, Control label);

// Applies what is stored, or keeps the settings in memory, then brings every
// label, the z-order, alpha, layout and place in line with them. Without a
// stored key DeleteButton is disabled.
void LoadSettings(AppState* state);
// Saves the settings, the window's place and the four edit boxes' texts;
// nothing is written when storage runs out or the key cannot be had.
void SaveSettings(AppState* state);
// DEL: DeleteButton is disabled and the stored values are removed.
void DeleteSettings(AppState* state);
