#include <mutex>
#include <new>

#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/posix/posix_clipboard.h"

namespace {
std::mutex g_lock;
std::u16string g_data;

// Copies the text as the Win32 layer copies it into its global block; the
// block's allocation counts like any other, so fault injection reaches it.
ClipboardResult PosixSetText(const char16_t* text, size_t units) {
  if (!PlatformAllocationAllowed()) return ClipboardResult::NoMemory;
  std::u16string copy;
  try {
    copy.assign(text, units);
  } catch (const std::bad_alloc&) {
    return ClipboardResult::NoMemory;
  }
  std::lock_guard<std::mutex> hold(g_lock);
  g_data.swap(copy);
  return ClipboardResult::Stored;
}
}  // namespace

std::u16string PosixClipboardData() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_data;
}

void SetPosixClipboardData(const std::u16string& units) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_data = units;
}

ClipboardApi g_clipboard{PosixSetText};
