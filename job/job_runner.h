#pragma once
// One listing job on a worker thread. The runner knows no window; it
// reports the job's phases to whoever started it.

#include <atomic>

#include "engine/listing_request.h"
#include "platform/thread.h"

// What a worker reports: Copying when its listing is whole, then an outcome.
enum class JobReport : int32_t { Copying = 1, Done = 2, Interrupted = 3, Failed = 4 };

// Called on the worker's thread; after the outcome it touches no more.
using JobReportFn = void (*)(void* context, JobReport report);

struct JobRunner {
  ListingRequest request;  // the running job's, freed by its worker
  std::atomic<bool> abort;
  ThreadHandle worker;  // the most recent worker, until it is waited for
  JobReportFn report;
  void* context;
};

// Takes *request over (emptied here, freed by the worker) and starts a
// worker that lists it and puts the text on the clipboard. False, nothing
// reported, when no worker could be started.
bool StartJobWorker(JobRunner* job, ListingRequest* request, JobReportFn report, void* context);
// The job stops within an entry; before its copy it ends Interrupted and
// leaves the clipboard as it was.
void CancelJob(JobRunner* job);
// Waits until the most recent worker has ended and drops its handle.
void WaitForJob(JobRunner* job);
