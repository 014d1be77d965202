#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <memory>

#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/win32/win32_window.h"

namespace {

// Clipboard managers and remote desktop hold the clipboard for moments: retry
// for about a second, by the clock, as a refused OpenClipboard may take long.
constexpr ULONGLONG kOpenPatienceMs = 1000;
constexpr DWORD kOpenRetryMs = 20;
// Zeros after a copied file list: however the other program wrote it, the
// list ends inside the block (two wide terminators even at an odd offset).
constexpr size_t kDropTail = 8;

// Set once by the window's start-up, before any job; read by the workers.
HWND g_owner = nullptr;

// A GlobalAlloc block until the clipboard takes it.
using GlobalBlock = std::unique_ptr<void, FreeWith<GlobalFree>>;
using OwnedWindow = std::unique_ptr<HWND__, FreeWith<DestroyWindow>>;

// The clipboard, open for the scope's life.
struct OpenClipboardScope {
  explicit OpenClipboardScope(HWND owner) {
    for (ULONGLONG start = GetTickCount64(); !(open = OpenClipboard(owner) != FALSE);) {
      if (GetTickCount64() - start >= kOpenPatienceMs) break;
      Sleep(kOpenRetryMs);
    }
  }
  ~OpenClipboardScope() {
    if (open) CloseClipboard();
  }
  bool open = false;
};

// A block counted as an allocation, so that fault injection reaches it too.
GlobalBlock Allocate(size_t bytes) {
  return GlobalBlock(PlatformAllocationAllowed() ? GlobalAlloc(GMEM_MOVEABLE, bytes) : nullptr);
}

// A copy of the clipboard's block of a format (valid only while it is open)
// with tail zeros after it. Null when there is none or fits(data, bytes)
// (when given) refuses it, and when storage runs out (*failed set then).
GlobalBlock CopyHeld(UINT format, size_t tail, bool (*fits)(const void* data, size_t bytes), bool* failed) {
  HANDLE held = GetClipboardData(format);
  const void* data = held != nullptr ? GlobalLock(held) : nullptr;
  if (data == nullptr) return GlobalBlock();
  size_t bytes = GlobalSize(held);
  bool wanted = fits == nullptr || fits(data, bytes);
  GlobalBlock copy = wanted ? Allocate(bytes + tail) : GlobalBlock();
  auto* target = copy != nullptr ? static_cast<char*>(GlobalLock(copy.get())) : nullptr;
  if (target != nullptr) {
    std::memcpy(target, data, bytes);
    std::memset(target + bytes, 0, tail);
    GlobalUnlock(copy.get());
  }
  GlobalUnlock(held);
  *failed = wanted && target == nullptr;
  return target != nullptr ? std::move(copy) : GlobalBlock();
}

ClipboardResult Win32SetText(size_t units, ClipboardFillFn fill, const void* source) {
  if (units >= SIZE_MAX / sizeof(char16_t)) return ClipboardResult::NoMemory;
  GlobalBlock block = Allocate((units + 1) * sizeof(char16_t));
  auto* target = block != nullptr ? static_cast<char16_t*>(GlobalLock(block.get())) : nullptr;
  if (target == nullptr) return ClipboardResult::NoMemory;
  fill(source, target);
  target[units] = 0;
  GlobalUnlock(block.get());

  // Without an owner window EmptyClipboard leaves the clipboard ownerless and
  // SetClipboardData fails: the console tool lends it a message-only window
  // of its own thread for the copy. Declared first, it goes after the close.
  OwnedWindow lent(g_owner == nullptr ? CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                        GetModuleHandleW(nullptr), nullptr)
                                      : nullptr);
  if (g_owner == nullptr && lent == nullptr) return ClipboardResult::NoMemory;
  OpenClipboardScope clipboard(g_owner != nullptr ? g_owner : lent.get());
  if (!clipboard.open) return ClipboardResult::Busy;
  // The old text, to put back if the new one is refused after EmptyClipboard.
  bool failed = false;
  GlobalBlock saved = CopyHeld(CF_UNICODETEXT, 0, nullptr, &failed);
  if (failed) return ClipboardResult::NoMemory;
  if (!EmptyClipboard()) return ClipboardResult::Busy;
  // From here a block belongs to the clipboard once it takes it.
  if (g_setClipboardData(CF_UNICODETEXT, block.get()) != nullptr) {
    block.release();
    return ClipboardResult::Stored;
  }
  if (saved != nullptr && g_setClipboardData(CF_UNICODETEXT, saved.get()) != nullptr) saved.release();
  return ClipboardResult::NoMemory;
}

// The copy is an HDROP that DragQueryFileW reads and DragFinish frees. A block
// whose list would start outside it, or is empty, holds no files.
PasteResult Win32TakeFiles(DropHandle* drop) {
  *drop = nullptr;
  OpenClipboardScope clipboard(g_owner);
  if (!clipboard.open) return PasteResult::Busy;
  bool failed = false;
  GlobalBlock copy = CopyHeld(CF_HDROP, kDropTail, [](const void* files, size_t bytes) {
    return bytes >= sizeof(DROPFILES) && bytes < SIZE_MAX - kDropTail &&
           static_cast<const DROPFILES*>(files)->pFiles >= sizeof(DROPFILES) &&
           static_cast<const DROPFILES*>(files)->pFiles <= bytes;
  }, &failed);
  if (failed) return PasteResult::NoMemory;
  // An empty first name ends the list (Wine counts it as one file).
  if (copy == nullptr || DragQueryFileW(static_cast<HDROP>(copy.get()), 0, nullptr, 0) == 0) {
    return PasteResult::NoFiles;
  }
  *drop = copy.release();
  return PasteResult::Taken;
}

}  // namespace

HANDLE(WINAPI* g_setClipboardData)(UINT format, HANDLE data) = SetClipboardData;

void SetClipboardOwner(HWND owner) { g_owner = owner; }

ClipboardApi g_clipboard{Win32SetText, Win32TakeFiles};
