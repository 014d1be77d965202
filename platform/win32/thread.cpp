#include <windows.h>

#include <new>

#include "platform/owned.h"
#include "platform/thread.h"

namespace {

// What the new thread runs; its own copy, freed by the thread.
struct ThreadStart {
  ThreadEntry entry;
  void* parameter;
};

DWORD WINAPI ThreadMain(LPVOID start) {
  ThreadStart copy = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  copy.entry(copy.parameter);
  return 0;
}

ThreadHandle Win32StartThread(ThreadEntry entry, void* parameter) {
  ThreadStart* start = new (std::nothrow) ThreadStart{entry, parameter};
  if (start == nullptr) return nullptr;
  // The listing keeps its folder levels in arrays, not on the stack: the
  // program's default stack is enough at any depth.
  HANDLE thread = CreateThread(nullptr, 0, ThreadMain, start, 0, nullptr);
  if (thread == nullptr) delete start;
  return thread;
}

void Win32CloseThread(ThreadHandle thread) {
  if (thread != nullptr) CloseHandle(thread);
}

// The window's thread waits for a worker when the window closes. Messages
// other threads send to this thread's windows meanwhile are handled: a
// worker emptying the clipboard sends WM_DESTROYCLIPBOARD to its previous
// owner, which may be this window, and waits for the answer.
void Win32WaitThread(ThreadHandle thread) {
  if (thread == nullptr) return;
  HANDLE handle = thread;
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG message{};
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

struct Win32Sync {
  SRWLOCK lock;
  CONDITION_VARIABLE condition;
};

SyncHandle Win32CreateSync() {
  Owned<Win32Sync> sync = MakeOwned<Win32Sync>();
  if (sync == nullptr) return nullptr;
  InitializeSRWLock(&sync->lock);
  InitializeConditionVariable(&sync->condition);
  return sync.release();
}

// Neither an SRW lock nor a condition variable holds system resources.
void Win32DestroySync(SyncHandle sync) { Owned<Win32Sync>(static_cast<Win32Sync*>(sync)); }

void Win32Lock(SyncHandle sync) { AcquireSRWLockExclusive(&static_cast<Win32Sync*>(sync)->lock); }

void Win32Unlock(SyncHandle sync) { ReleaseSRWLockExclusive(&static_cast<Win32Sync*>(sync)->lock); }

void Win32WaitSync(SyncHandle handle, int32_t milliseconds) {
  auto* sync = static_cast<Win32Sync*>(handle);
  SleepConditionVariableSRW(&sync->condition, &sync->lock, static_cast<DWORD>(milliseconds), 0);
}

void Win32WakeAll(SyncHandle sync) { WakeAllConditionVariable(&static_cast<Win32Sync*>(sync)->condition); }

void Win32WakeOne(SyncHandle sync) { WakeConditionVariable(&static_cast<Win32Sync*>(sync)->condition); }

// The performance counter: GetTickCount64 steps by 16 ms, too coarse for
// reads that take a millisecond.
int64_t Win32Microseconds() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<int64_t>(counter.QuadPart / frequency.QuadPart * 1000000 +
                              counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

}  // namespace

ThreadApi g_thread{Win32StartThread, Win32CloseThread, Win32WaitThread, Win32CreateSync, Win32DestroySync,
                   Win32Lock,        Win32Unlock,      Win32WaitSync,   Win32WakeAll,    Win32WakeOne,
                   Win32Microseconds};
