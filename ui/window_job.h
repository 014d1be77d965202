#pragma once
// The window's side of a listing job: one at a time, its phases in the status
// label, the listing controls locked while it runs. All on the window's thread.

#include <cstdint>

#include "platform/job_input.h"
#include "ui/app_state.h"

// A job for a drop (none: the command line's paths) when none runs; the drop
// is released before the worker starts.
void StartJob(AppState* state, DropHandle drop);
// A paste of files: while no job runs, the same job as a drop of them.
void PasteFiles(AppState* state);
// A report the worker posted (a JobReport's value): Copying, then the outcome.
void OnJobReport(AppState* state, int32_t report);
void CancelWindowJob(AppState* state);
// A running job cancelled and waited for: nothing outlives the window.
void EndWindowJob(AppState* state);
// The current state's text in the status label, in the layout's wording.
void ShowStatus(AppState* state);
// The status timer's expiry: the status text, then the timer is killed.
void OnStatusTimer(AppState* state);
