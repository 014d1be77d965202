#include <pthread.h>
#include <time.h>

#include <new>

#include "platform/owned.h"
#include "platform/thread.h"

namespace {

struct PosixThread {
  pthread_t thread;
  bool joinable;
};

// What the new thread runs; its own copy, so that the handle's record may
// go while the thread still runs.
struct ThreadStart {
  ThreadEntry entry;
  void* parameter;
};

void* ThreadMain(void* start) {
  ThreadStart copy = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  copy.entry(copy.parameter);
  return nullptr;
}

ThreadHandle PosixStartThread(ThreadEntry entry, void* parameter) {
  PosixThread* record = new (std::nothrow) PosixThread{pthread_t{}, false};
  ThreadStart* start = new (std::nothrow) ThreadStart{entry, parameter};
  if (record == nullptr || start == nullptr) {
    delete record;
    delete start;
    return nullptr;
  }
  bool started = pthread_create(&record->thread, nullptr, ThreadMain, start) == 0;
  if (!started) {
    delete record;
    delete start;
    return nullptr;
  }
  record->joinable = true;
  return record;
}

// A thread still running is detached, as closing a Win32 handle leaves the
// thread running.
void PosixCloseThread(ThreadHandle thread) {
  PosixThread* record = static_cast<PosixThread*>(thread);
  if (record == nullptr) return;
  if (record->joinable) {
    pthread_detach(record->thread);
    record->joinable = false;
  }
  delete record;
}

void PosixWaitThread(ThreadHandle thread) {
  PosixThread* record = static_cast<PosixThread*>(thread);
  if (record != nullptr && record->joinable) {
    pthread_join(record->thread, nullptr);
    record->joinable = false;
  }
}

struct PosixSync {
  pthread_mutex_t mutex;
  pthread_cond_t condition;
};

// The signal's timed waits count on the monotonic clock, so that a change
// of the wall clock neither stretches nor cuts them.
SyncHandle PosixCreateSync() {
  Owned<PosixSync> sync = MakeOwned<PosixSync>();
  if (sync == nullptr) return nullptr;
  pthread_mutex_init(&sync->mutex, nullptr);
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&sync->condition, &attributes);
  pthread_condattr_destroy(&attributes);
  return sync.release();
}

void PosixDestroySync(SyncHandle handle) {
  Owned<PosixSync> sync(static_cast<PosixSync*>(handle));
  if (sync == nullptr) return;
  pthread_cond_destroy(&sync->condition);
  pthread_mutex_destroy(&sync->mutex);
}

void PosixLock(SyncHandle sync) { pthread_mutex_lock(&static_cast<PosixSync*>(sync)->mutex); }

void PosixUnlock(SyncHandle sync) { pthread_mutex_unlock(&static_cast<PosixSync*>(sync)->mutex); }

void PosixWaitSync(SyncHandle handle, int32_t milliseconds) {
  PosixSync* sync = static_cast<PosixSync*>(handle);
  timespec until{};
  clock_gettime(CLOCK_MONOTONIC, &until);
  long nanoseconds = until.tv_nsec + static_cast<long>(milliseconds % 1000) * 1000000L;
  until.tv_sec += milliseconds / 1000 + nanoseconds / 1000000000L;
  until.tv_nsec = nanoseconds % 1000000000L;
  pthread_cond_timedwait(&sync->condition, &sync->mutex, &until);
}

void PosixWakeAll(SyncHandle sync) { pthread_cond_broadcast(&static_cast<PosixSync*>(sync)->condition); }

void PosixWakeOne(SyncHandle sync) { pthread_cond_signal(&static_cast<PosixSync*>(sync)->condition); }

int64_t PosixMicroseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

ThreadApi g_thread{PosixStartThread, PosixCloseThread, PosixWaitThread, PosixCreateSync, PosixDestroySync,
                   PosixLock,        PosixUnlock,      PosixWaitSync,   PosixWakeAll,    PosixWakeOne,
                   PosixMicroseconds};
