#include <pthread.h>

#include <new>

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

// The folder scan descends one call per folder level: give the worker a
// stack as deep as the deepest path can make it.
constexpr size_t kWorkerStackSize = size_t{256} << 20;

ThreadHandle PosixStartThread(ThreadEntry entry, void* parameter) {
  PosixThread* record = new (std::nothrow) PosixThread{pthread_t{}, false};
  ThreadStart* start = new (std::nothrow) ThreadStart{entry, parameter};
  if (record == nullptr || start == nullptr) {
    delete record;
    delete start;
    return nullptr;
  }
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kWorkerStackSize);
  bool started = pthread_create(&record->thread, &attributes, ThreadMain, start) == 0;
  pthread_attr_destroy(&attributes);
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

}  // namespace

ThreadApi g_thread{PosixStartThread, PosixCloseThread, PosixWaitThread};
