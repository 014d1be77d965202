#pragma once
// The window's side of a listing job: one at a time, started by a drop or
// the command line, its phases shown in the status label, the listing
// controls locked while it runs, and a clean end when the window closes.
// Everything here runs on the window's thread.

#include <cstdint>

#include "platform/job_input.h"
#include "ui/app_state.h"

// Starts a job for a drop (or, with none, from the command line) when no job
// runs; otherwise releases the drop. Everything the job reads is taken here,
// and the drop is released before the worker starts.
void StartJob(AppState* state, DropHandle drop);
// Ctrl+V with files on the clipboard: while no job runs, the same job as a
// drop of them; nothing when the clipboard holds no files.
void PasteFiles(AppState* state);
// A report the worker posted (a JobReport's value): Copying, then the outcome.
void OnJobReport(AppState* state, int32_t report);
// Cancel: the running job stops within an entry.
void CancelWindowJob(AppState* state);
// The window is closing: a running job is cancelled and its worker waited
// for, so that no worker (nor any of its folder readers) outlives the
// window, and the clipboard keeps what it had.
void EndWindowJob(AppState* state);
// Writes the current state's text to the status label, in the layout's wording.
void ShowStatus(AppState* state);
// The status timer's expiry: the status text, then the timer is killed.
void OnStatusTimer(AppState* state);
