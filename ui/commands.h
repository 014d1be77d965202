#pragma once
// The clickable labels' commands: a control id and a notification code in,
// the action carried out, or word that the id has none.

#include <cstdint>

#include "ui/app_state.h"

// The notification codes a clickable label sends.
constexpr int32_t kNotifyClicked = 0;
constexpr int32_t kNotifyDoubleClicked = 1;

enum class CommandOutcome {
  Handled,     // the id has an action (carried out, refused or ignored): result 0
  NotHandled,  // no action for this id: the default window procedure gets it
};

// Routes one command. Only the clicked and double-clicked codes act, so a
// double click acts as one more click; the five listing settings act only
// while no job runs.
CommandOutcome RouteCommand(AppState* state, int32_t controlId, int32_t notifyCode);

// The help button: asks the shell to open the readme file, and shows the
// warning when that fails or there is no readme path.
void OpenHelpFile(AppState* state);
