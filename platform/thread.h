#pragma once
// Threads: the job worker is started, its handle dropped when the next job
// starts, and tests wait for it to end.

// A started thread (Win32: the thread's HANDLE). Null means none.
using ThreadHandle = void*;

// The body of a thread; it takes nothing and returns nothing.
using ThreadEntry = void (*)();

struct ThreadApi {
  // Starts a thread running entry at once; null when it cannot be created.
  ThreadHandle (*startThread)(ThreadEntry entry);
  // Drops the handle of a thread, which runs on if it has not ended.
  void (*closeThread)(ThreadHandle thread);
  // Waits until the thread has ended, keeping the handle. On Win32 the
  // waiting thread meanwhile answers the messages that other threads send
  // to its windows, so a worker that writes to them cannot stall the wait.
  void (*waitThread)(ThreadHandle thread);
};

// The build's implementation; tests may replace single members.
extern ThreadApi g_thread;
