#include "job/job_runner.h"

#include "engine/clipboard_text.h"
#include "engine/listing.h"

namespace {

// The worker: the listing, then the clipboard. The request is freed before
// the outcome is reported. A cancel that comes after the last entry but
// before the copy still keeps the clipboard as it was: closing the window
// then never replaces what the user had.
void RunJob(void* parameter) {
  JobRunner* job = static_cast<JobRunner*>(parameter);
  ListingText text{};
  ListingOutcome outcome = BuildListing(job->request, job->abort, &text);
  FreeListingRequest(&job->request);
  JobReport result = outcome == ListingOutcome::Failed ? JobReport::Failed : JobReport::Interrupted;
  if (outcome == ListingOutcome::Done && !job->abort.load()) {
    job->report(job->context, JobReport::Copying);
    result = CopyListingToClipboard(text) ? JobReport::Done : JobReport::Failed;
  }
  FreeListingText(&text);
  job->report(job->context, result);
}

}  // namespace

// The previous worker has reported its outcome by now (a job starts only
// after it), so its handle can go.
bool StartJobWorker(JobRunner* job, ListingRequest* request, JobReportFn report, void* context) {
  if (job->worker != nullptr) {
    g_thread.closeThread(job->worker);
    job->worker = nullptr;
  }
  job->abort.store(false);
  job->request = *request;
  *request = ListingRequest{};
  job->report = report;
  job->context = context;
  job->worker = g_thread.startThread(RunJob, job);
  if (job->worker != nullptr) return true;
  FreeListingRequest(&job->request);
  return false;
}

void CancelJob(JobRunner* job) { job->abort.store(true); }

void WaitForJob(JobRunner* job) {
  if (job->worker == nullptr) return;
  g_thread.waitThread(job->worker);
  g_thread.closeThread(job->worker);
  job->worker = nullptr;
}
