#pragma once
// The settings the clickable labels show: a click steps a setting to its
// next value; either way its label is written (blank first, then the text)
// and its side effect applied.

#include "ui/app_state.h"

// Steps the setting that label shows to its next value and shows it; a
// label that shows no setting is left alone.
void CycleSetting(AppState* state, Control label);
// Shows the setting that label shows, as it is.
void ShowSetting(AppState* state, Control label);
// Shows every setting on its label, with the z-order and alpha.
void ShowSettings(AppState* state);
