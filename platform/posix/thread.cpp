#include <pthread.h>

#include <new>

#include "platform/thread.h"

namespace {

struct PosixThread {
  pthread_t thread;
  bool joinable;
};

// The thread's only parameter is the body it runs, so the record may go
// while the thread still runs.
void* ThreadMain(void* parameter) {
  reinterpret_cast<ThreadEntry>(parameter)();
  return nullptr;
}

// The folder scan descends one call per folder level: give the worker a
// stack as deep as the deepest path can make it.
constexpr size_t kWorkerStackSize = size_t{256} << 20;

ThreadHandle PosixStartThread(ThreadEntry entry) {
  PosixThread* record = new (std::nothrow) PosixThread{pthread_t{}, false};
  if (record == nullptr) return nullptr;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kWorkerStackSize);
  bool started = pthread_create(&record->thread, &attributes, ThreadMain, reinterpret_cast<void*>(entry)) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) {
    delete record;
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
