#pragma once
// The clickable labels: the settings they show and step through, and the
// buttons' commands, SAV and DEL among them.

#include <cstdint>

#include "ui/app_state.h"

// NotHandled: the id has no action, and the default window procedure gets it.
enum class CommandOutcome { Handled, NotHandled };

// Only clicks and double clicks (one more click) act; the five listing
// settings act only while no job runs.
CommandOutcome RouteCommand(AppState* state, int32_t controlId, int32_t notifyCode);
// Shows the setting that label shows, as it is (the blank first).
void ShowSetting(AppState* state, Control label);

// The stored settings, or those in memory, onto the window; without a stored
// key DeleteButton is disabled.
void LoadSettings(AppState* state);
// SAV: the settings, the window's place and the four texts.
void SaveSettings(AppState* state);
// DEL: DeleteButton is disabled and the stored values are removed.
void DeleteSettings(AppState* state);
