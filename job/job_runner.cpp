#include "job/job_runner.h"

#include <utility>

#include "engine/clipboard_text.h"

namespace {

// The listing, then the clipboard, freed before the outcome is reported. A
// cancel before the copy keeps the clipboard: closing the window never
// replaces what the user had.
JobReport ListAndCopy(JobRunner* job) {
  ListingText text{};
  ListingOutcome outcome = BuildListing(job->request, job->abort, &text);
  job->request = ListingRequest{};
  if (outcome != ListingOutcome::Done || job->abort.load()) {
    return outcome == ListingOutcome::Failed ? JobReport::Failed : JobReport::Interrupted;
  }
  job->report(job->context, JobReport::Copying);
  return CopyListingToClipboard(text) ? JobReport::Done : JobReport::Failed;
}

}  // namespace

// The previous worker has reported its outcome by now (a job starts only
// after it), so its handle can go.
bool StartJobWorker(JobRunner* job, ListingRequest* request, JobReportFn report, void* context) {
  if (job->worker != nullptr) g_thread.closeThread(job->worker);
  job->abort.store(false);
  job->request = std::move(*request);
  job->report = report;
  job->context = context;
  auto run = [](void* parameter) {
    auto* runner = static_cast<JobRunner*>(parameter);
    JobReport result = ListAndCopy(runner);
    runner->report(runner->context, result);
  };
  job->worker = g_thread.startThread(run, job);
  if (job->worker != nullptr) return true;
  job->request = ListingRequest{};
  return false;
}

void CancelJob(JobRunner* job) { job->abort.store(true); }

void WaitForJob(JobRunner* job) {
  if (job->worker == nullptr) return;
  g_thread.waitThread(job->worker);
  g_thread.closeThread(job->worker);
  job->worker = nullptr;
}
