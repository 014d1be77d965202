#pragma once
// Threads: the job worker is started, its handle dropped when the next job
// starts, and tests wait for it to end.

// A started thread (Win32: the thread's HANDLE). Null means none.
using ThreadHandle = void*;

// The body of a thread and the one parameter it is given.
using ThreadEntry = void (*)(void* parameter);

struct ThreadApi {
  // Starts a thread running entry(parameter) at once; null when it cannot
  // be created.
  ThreadHandle (*startThread)(ThreadEntry entry, void* parameter);
  // Drops the handle of a thread, which runs on if it has not ended.
  void (*closeThread)(ThreadHandle thread);
  // Waits until the thread has ended, keeping the handle. Messages other
  // threads send to the caller's windows meanwhile are handled (Win32).
  void (*waitThread)(ThreadHandle thread);
};

// The build's implementation; tests may replace single members.
extern ThreadApi g_thread;
