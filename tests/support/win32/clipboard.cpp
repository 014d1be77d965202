#include <windows.h>

#include <cstring>

#include "tests/support/test_support.h"

namespace {
bool OpenForTest() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(10);
  }
  return false;
}
}  // namespace

std::u16string ReadClipboardForTest() {
  std::u16string result;
  if (!OpenForTest()) return result;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data != nullptr) {
    size_t bytes = GlobalSize(data);
    const void* text = GlobalLock(data);
    if (text != nullptr) {
      // The block may be rounded up: the text ends at its terminator.
      result.assign(static_cast<const char16_t*>(text), bytes / sizeof(char16_t));
      size_t end = result.find(u'\0');
      if (end != std::u16string::npos) result.resize(end + 1);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return result;
}

void WriteClipboardForTest(const std::u16string& text) {
  size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), text.c_str(), bytes);
  GlobalUnlock(block);
  if (!OpenForTest()) {
    GlobalFree(block);
    return;
  }
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}
