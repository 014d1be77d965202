#include <pthread.h>
#include <time.h>

#include <memory>
#include <new>

#include "platform/owned.h"
#include "platform/thread.h"

namespace {

struct PosixThread {
  pthread_t thread;
  bool joinable;
};

// What the new thread runs: its own record, so that the handle may go while
// the thread still runs.
struct ThreadStart {
  ThreadEntry entry;
  void* parameter;
};

void* ThreadMain(void* start) {
  ThreadStart copy = *std::unique_ptr<ThreadStart>(static_cast<ThreadStart*>(start));
  copy.entry(copy.parameter);
  return nullptr;
}

ThreadHandle PosixStartThread(ThreadEntry entry, void* parameter) {
  std::unique_ptr<PosixThread> record(new (std::nothrow) PosixThread{pthread_t{}, true});
  std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{entry, parameter});
  if (!record || !start || pthread_create(&record->thread, nullptr, ThreadMain, start.get()) != 0) return nullptr;
  start.release();
  return record.release();
}

// The timed waits count on the monotonic clock, so that a change of the wall
// clock neither stretches nor cuts them.
struct PosixSync {
  PosixSync() {
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&condition, &attributes);
    pthread_condattr_destroy(&attributes);
  }
  ~PosixSync() {
    pthread_cond_destroy(&condition);
    pthread_mutex_destroy(&mutex);
  }
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t condition;
};

PosixSync* Sync(SyncHandle sync) { return static_cast<PosixSync*>(sync); }

void PosixWaitSync(SyncHandle sync, int32_t milliseconds) {
  timespec until{};
  clock_gettime(CLOCK_MONOTONIC, &until);
  long nanoseconds = until.tv_nsec + static_cast<long>(milliseconds % 1000) * 1000000L;
  until.tv_sec += milliseconds / 1000 + nanoseconds / 1000000000L;
  until.tv_nsec = nanoseconds % 1000000000L;
  pthread_cond_timedwait(&Sync(sync)->condition, &Sync(sync)->mutex, &until);
}

}  // namespace

ThreadApi g_thread{
    .startThread = PosixStartThread,
    // A thread still running is detached, as closing a Win32 handle leaves the thread running.
    .closeThread = [](ThreadHandle thread) {
      std::unique_ptr<PosixThread> record(static_cast<PosixThread*>(thread));
      if (record != nullptr && record->joinable) pthread_detach(record->thread);
    },
    .waitThread = [](ThreadHandle thread) {
      auto* record = static_cast<PosixThread*>(thread);
      if (record != nullptr && record->joinable) pthread_join(record->thread, nullptr);
      if (record != nullptr) record->joinable = false;
    },
    .createSync = []() -> SyncHandle { return MakeOwned<PosixSync>().release(); },
    .destroySync = [](SyncHandle sync) { Owned<PosixSync>{Sync(sync)}; },
    .lock = [](SyncHandle sync) { pthread_mutex_lock(&Sync(sync)->mutex); },
    .unlock = [](SyncHandle sync) { pthread_mutex_unlock(&Sync(sync)->mutex); },
    .waitSync = PosixWaitSync,
    .wakeAll = [](SyncHandle sync) { pthread_cond_broadcast(&Sync(sync)->condition); },
    .wakeOne = [](SyncHandle sync) { pthread_cond_signal(&Sync(sync)->condition); },
    .microseconds = [] {
      timespec now;
      clock_gettime(CLOCK_MONOTONIC, &now);
      return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    },
};
