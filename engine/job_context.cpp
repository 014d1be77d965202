#include "engine/job_context.h"

JobContext g_job{};

void FailJob() {
  g_job.failureFlag.store(true);
  g_job.abortFlag.store(true);
}
