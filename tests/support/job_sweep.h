#pragma once
// Fault injection through a whole job as the window runs it: StartJob, the
// worker on a real thread, the status label, the clipboard. The job is run
// once to count its allocations (N) and learn its text; then once for each
// k = 1 .. N with the k-th allocation failing. Each of those runs must end
// Failed with both flags clear, the controls unlocked and drops accepted,
// every block freed, the clipboard holding what it held before; and the
// job run right after it must end Done with the full text.

#include <cstdint>
#include <functional>
#include <string>

struct JobSweepFigures {
  uint64_t allocations;  // N: allocations of the job when none fails
  uint64_t covered;      // k values run with the k-th allocation failing
  uint64_t survived;     // of those, the runs that passed every check
};

struct JobSweep {
  // Starts the job (StartJob with a fresh drop, or from the command line).
  std::function<void()> start;
  // The four affix edit boxes, written before every run.
  std::u16string affixes[4];
  // Asserted of the text of the job that nothing failed.
  std::function<void(const std::u16string& text)> checkText;
  // Checked after every run: true when the run left nothing behind that the
  // job owns outside the process's memory (a drive connection, say).
  std::function<bool()> leftNothingBehind;
  // Runs k = 1, 1 + stride, 1 + 2 stride ... and always k = N.
  uint64_t stride = 1;
  // Checks the next job after every this many failing runs (1: after each),
  // and always after the last.
  uint64_t nextJobEvery = 1;
};

// Runs the sweep with GoogleTest expectations; stops early after a few
// failing k values so that one fault does not flood the report.
JobSweepFigures SweepJobAllocations(const JobSweep& sweep);
