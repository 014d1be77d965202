#include <windows.h>

#include "platform/thread.h"

namespace {

// The thread's only parameter is the body it runs.
DWORD WINAPI ThreadMain(LPVOID parameter) {
  reinterpret_cast<ThreadEntry>(parameter)();
  return 0;
}

// The folder scan descends one call per folder level, and a path of 32,767
// units can be thousands of levels deep: reserve a stack to match. Only
// address space is reserved; pages are committed as the stack grows.
constexpr SIZE_T kWorkerStackReserve = SIZE_T{256} << 20;

ThreadHandle Win32StartThread(ThreadEntry entry) {
  return CreateThread(nullptr, kWorkerStackReserve, ThreadMain, reinterpret_cast<LPVOID>(entry),
                      STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
}

void Win32CloseThread(ThreadHandle thread) {
  if (thread != nullptr) CloseHandle(thread);
}

// Sent messages are handled while waiting: the worker writes the window's
// controls with SendMessageW, which waits for this thread. Posted messages
// stay queued for the caller's own loop.
void Win32WaitThread(ThreadHandle thread) {
  if (thread == nullptr) return;
  HANDLE handle = thread;
  for (;;) {
    DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
    if (result != WAIT_OBJECT_0 + 1) return;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

ThreadApi g_thread{Win32StartThread, Win32CloseThread, Win32WaitThread};
