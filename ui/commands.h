#pragma once
// The clickable labels' commands: a control id and a notification code in,
// the action carried out, or word that the id has none.

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
