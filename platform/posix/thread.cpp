#include <new>
#include <system_error>
#include <thread>

#include "platform/thread.h"

namespace {

struct PosixThread {
  std::thread thread;
};

ThreadHandle PosixStartThread(ThreadEntry entry) {
  PosixThread* record = new (std::nothrow) PosixThread;
  if (record == nullptr) return nullptr;
  try {
    record->thread = std::thread(entry);
  } catch (const std::system_error&) {
    delete record;
    return nullptr;
  }
  return record;
}

// A thread still running is detached, as closing a Win32 handle leaves the
// thread running.
void PosixCloseThread(ThreadHandle thread) {
  PosixThread* record = static_cast<PosixThread*>(thread);
  if (record == nullptr) return;
  if (record->thread.joinable()) record->thread.detach();
  delete record;
}

void PosixWaitThread(ThreadHandle thread) {
  PosixThread* record = static_cast<PosixThread*>(thread);
  if (record != nullptr && record->thread.joinable()) record->thread.join();
}

}  // namespace

ThreadApi g_thread{PosixStartThread, PosixCloseThread, PosixWaitThread};
