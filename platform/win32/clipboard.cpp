#include <windows.h>

#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/win32/win32_window.h"

namespace {

// Clipboard managers and remote desktop hold the clipboard for moments at a
// time: retry for about a second before giving up.
// The wait is measured by the clock, not by a count of attempts: a refused
// OpenClipboard can itself take a while.
constexpr ULONGLONG kOpenPatienceMs = 1000;
constexpr DWORD kOpenRetryMs = 20;

// Set once by the window's start-up, before any job; read by the workers.
HWND g_owner = nullptr;

bool OpenClipboardPatiently(HWND owner) {
  ULONGLONG start = GetTickCount64();
  for (;;) {
    if (OpenClipboard(owner)) return true;
    if (GetTickCount64() - start >= kOpenPatienceMs) return false;
    Sleep(kOpenRetryMs);
  }
}

ClipboardResult Win32SetText(size_t units, ClipboardFillFn fill, const void* source) {
  if (units >= SIZE_MAX / sizeof(char16_t)) return ClipboardResult::NoMemory;
  size_t bytes = (units + 1) * sizeof(char16_t);
  HGLOBAL block = PlatformAllocationAllowed() ? GlobalAlloc(GMEM_MOVEABLE, bytes) : nullptr;
  if (block == nullptr) return ClipboardResult::NoMemory;
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return ClipboardResult::NoMemory;
  }
  // The text is copied once, from the listing's chunks into the block.
  fill(source, static_cast<char16_t*>(target));
  static_cast<char16_t*>(target)[units] = 0;
  GlobalUnlock(block);

  if (!OpenClipboardPatiently(g_owner)) {
    GlobalFree(block);
    return ClipboardResult::Busy;
  }
  EmptyClipboard();
  // From here the block belongs to the clipboard; it is freed only if the
  // clipboard refuses it.
  if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
    GlobalFree(block);
    CloseClipboard();
    return ClipboardResult::NoMemory;
  }
  CloseClipboard();
  return ClipboardResult::Stored;
}

}  // namespace

void SetClipboardOwner(HWND owner) { g_owner = owner; }

ClipboardApi g_clipboard{Win32SetText};
