#pragma once
// Threads: the job worker and the folder readers, which share a lock and a
// wake-up signal, and the clock that times folder reads.

#include <cstdint>

// A started thread (Win32: its HANDLE). Null means none.
using ThreadHandle = void*;

using ThreadEntry = void (*)(void* parameter);

// A lock with one signal that wakes the threads waiting under it (a mutex
// and a condition variable). Null means none.
using SyncHandle = void*;

struct ThreadApi {
  // Starts entry(parameter) at once; null when the thread cannot be made.
  ThreadHandle (*startThread)(ThreadEntry entry, void* parameter);
  // Drops the handle; the thread runs on if it has not ended.
  void (*closeThread)(ThreadHandle thread);
  // Waits until the thread has ended, keeping the handle. Messages other
  // threads send to the caller's windows meanwhile are handled (Win32).
  void (*waitThread)(ThreadHandle thread);
  // Null when storage runs out.
  SyncHandle (*createSync)();
  void (*destroySync)(SyncHandle sync);
  void (*lock)(SyncHandle sync);
  void (*unlock)(SyncHandle sync);
  // With the lock held: releases it, sleeps until woken or until the
  // milliseconds have passed, and takes it again.
  void (*waitSync)(SyncHandle sync, int32_t milliseconds);
  void (*wakeAll)(SyncHandle sync);
  void (*wakeOne)(SyncHandle sync);
  // A monotonic clock: microseconds since some fixed moment.
  int64_t (*microseconds)();
};

// The build's implementation; tests may replace single members.
extern ThreadApi g_thread;
