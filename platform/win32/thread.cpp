#include <windows.h>

#include <memory>
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
  ThreadStart copy = *std::unique_ptr<ThreadStart>(static_cast<ThreadStart*>(start));
  copy.entry(copy.parameter);
  return 0;
}

// The listing keeps its folder levels in arrays, not on the stack: the
// default stack size is enough at any depth.
ThreadHandle Win32StartThread(ThreadEntry entry, void* parameter) {
  std::unique_ptr<ThreadStart> start(new (std::nothrow) ThreadStart{entry, parameter});
  HANDLE thread = start != nullptr ? CreateThread(nullptr, 0, ThreadMain, start.get(), 0, nullptr) : nullptr;
  if (thread != nullptr) start.release();
  return thread;
}

// Messages other threads send to the waiting thread's windows are handled: a
// worker emptying the clipboard sends WM_DESTROYCLIPBOARD to its previous
// owner, which may be the window waiting for it, and waits for the answer.
void Win32WaitThread(ThreadHandle thread) {
  HANDLE handle = thread;
  while (handle != nullptr &&
         MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG message{};
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Neither an SRW lock nor a condition variable holds system resources.
struct Win32Sync {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

Win32Sync* Sync(SyncHandle sync) { return static_cast<Win32Sync*>(sync); }

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

ThreadApi g_thread{
    .startThread = Win32StartThread,
    .closeThread = [](ThreadHandle thread) {
      if (thread != nullptr) CloseHandle(thread);
    },
    .waitThread = Win32WaitThread,
    .createSync = []() -> SyncHandle { return MakeOwned<Win32Sync>().release(); },
    .destroySync = [](SyncHandle sync) { Owned<Win32Sync>{Sync(sync)}; },
    .lock = [](SyncHandle sync) { AcquireSRWLockExclusive(&Sync(sync)->lock); },
    .unlock = [](SyncHandle sync) { ReleaseSRWLockExclusive(&Sync(sync)->lock); },
    .waitSync = [](SyncHandle sync, int32_t milliseconds) {
      SleepConditionVariableSRW(&Sync(sync)->condition, &Sync(sync)->lock, static_cast<DWORD>(milliseconds), 0);
    },
    .wakeAll = [](SyncHandle sync) { WakeAllConditionVariable(&Sync(sync)->condition); },
    .wakeOne = [](SyncHandle sync) { WakeConditionVariable(&Sync(sync)->condition); },
    .microseconds = Win32Microseconds,
};
