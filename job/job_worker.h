#pragma once
// One listing job at a time on a worker thread, its cancellation and the
// status display.

#include <atomic>
#include <cstdint>

#include "platform/job_input.h"

enum class StatusState : int32_t { Idle = 1, Listing = 2, Copying = 3, Done = 4, Interrupted = 5, Failed = 6 };

extern std::atomic<StatusState> g_status;

// Starts a job for a drop (or, with none, from the command line) when no job
// runs; otherwise releases the drop. User-interface thread.
void StartJob(DropHandle drop);
// The worker thread's body.
void RunJob();
// Writes the current state's text to the status label, in the layout's wording.
void ShowStatus();
// Cancel: sets the abort flag.
void CancelJob();
// The status timer's expiry: the status text, then the timer is killed.
void OnStatusTimer();

// Waits until the most recent worker has ended (tests, and a program that
// wants to end cleanly). User-interface thread.
void WaitForWorker();

// The status blank: 23 ideographic spaces, written before every status text.
extern const char16_t kStatusBlank[];
// A state's text in the compact or the full wording.
const char16_t* StatusText(StatusState state, bool compact);
