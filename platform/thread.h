#pragma once
// Threads: the job worker is started, its handle dropped when the next job
// starts, and tests wait for it to end. The folder readers share a lock and
// a wake-up signal; the listing times folder reads with the clock.

#include <cstdint>

// A started thread (Win32: the thread's HANDLE). Null means none.
using ThreadHandle = void*;

// The body of a thread and the one parameter it is given.
using ThreadEntry = void (*)(void* parameter);

// A lock with one signal that wakes the threads waiting under it (a mutex
// and a condition variable). Null means none.
using SyncHandle = void*;

struct ThreadApi {
  // Starts a thread running entry(parameter) at once; null when it cannot
  // be created.
  ThreadHandle (*startThread)(ThreadEntry entry, void* parameter);
  // Drops the handle of a thread, which runs on if it has not ended.
  void (*closeThread)(ThreadHandle thread);
  // Waits until the thread has ended, keeping the handle. Messages other
  // threads send to the caller's windows meanwhile are handled (Win32).
  void (*waitThread)(ThreadHandle thread);
  // Makes a lock and its signal (storage from PlatformAlloc); null when
  // storage runs out.
  SyncHandle (*createSync)();
  void (*destroySync)(SyncHandle sync);
  void (*lock)(SyncHandle sync);
  void (*unlock)(SyncHandle sync);
  // With the lock held: releases it, sleeps until woken or until the
  // milliseconds have passed, and takes it again.
  void (*waitSync)(SyncHandle sync, int32_t milliseconds);
  // Wakes every thread waiting in waitSync.
  void (*wakeAll)(SyncHandle sync);
  // Wakes one thread waiting in waitSync, if any.
  void (*wakeOne)(SyncHandle sync);
  // A monotonic clock: microseconds since some fixed moment.
  int64_t (*microseconds)();
};

// The build's implementation; tests may replace single members.
extern ThreadApi g_thread;
