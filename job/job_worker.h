#pragma once
// One listing job at a time on a worker thread, its cancellation and the
// status display. Everything here but the worker's own body runs on the
// window's thread; the worker reports back through g_window.postJobReport.

#include <cstdint>

#include "platform/job_input.h"

enum class StatusState : int32_t { Idle = 1, Listing = 2, Copying = 3, Done = 4, Interrupted = 5, Failed = 6 };

extern StatusState g_status;
// Set at start-up when the program was given paths: the one job lists them
// and the window closes at its end.
extern bool g_commandLineMode;

// Starts a job for a drop (or, with none, from the command line) when no job
// runs; otherwise releases the drop. Everything the job reads is taken here,
// and the drop is released before the worker starts.
void StartJob(DropHandle drop);
// A report the worker posted: Copying, then the outcome (Done, Interrupted
// or Failed), given as the StatusState's value.
void OnJobReport(int32_t report);
// Cancel: the running job stops within an entry.
void CancelJob();
// Writes the current state's text to the status label, in the layout's wording.
void ShowStatus();
// The status timer's expiry: the status text, then the timer is killed.
void OnStatusTimer();
// Waits until the most recent worker has ended.
void WaitForWorker();

// The status blank: 23 ideographic spaces, written before every status text.
extern const char16_t kStatusBlank[];
// A state's text in the compact or the full wording.
const char16_t* StatusText(StatusState state, bool compact);
