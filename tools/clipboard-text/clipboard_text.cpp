// clipboard_text: the clipboard's Unicode text for scripts outside Wine.
//   clipboard_text print        writes the text to stdout as UTF-8, exactly
//                               (CR LF kept, nothing added); exit 1 when the
//                               clipboard holds no text, 2 when it stays busy
//   clipboard_text set TEXT     places TEXT on the clipboard
//   clipboard_text clear        empties the clipboard
//   clipboard_text hold SECONDS stays alive that long: Wine empties the
//                               clipboard once the last program of a session
//                               has ended, so a script that wants to read what
//                               a finished program left there keeps one alive

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

// Another program may hold the clipboard for a moment.
bool OpenClipboardPatiently() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

void WriteOut(const std::string& bytes) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(bytes.size() - done > 65536 ? 65536 : bytes.size() - done);
    if (!WriteFile(out, bytes.data() + done, chunk, &written, nullptr) || written == 0) return;
    done += written;
  }
}

std::string ToUtf8(const wchar_t* text, size_t length) {
  if (length == 0) return std::string();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), bytes, nullptr, nullptr);
  return out;
}

int Print() {
  if (!OpenClipboardPatiently()) return 2;
  int status = 1;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data != nullptr) {
    auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (text != nullptr) {
      size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      size_t length = 0;
      while (length < capacity && text[length] != 0) ++length;
      WriteOut(ToUtf8(text, length));
      GlobalUnlock(data);
      status = 0;
    }
  }
  CloseClipboard();
  return status;
}

int Set(const wchar_t* text) {
  size_t units = wcslen(text) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, units * sizeof(wchar_t));
  if (block == nullptr) return 1;
  std::memcpy(GlobalLock(block), text, units * sizeof(wchar_t));
  GlobalUnlock(block);
  if (!OpenClipboardPatiently()) {
    GlobalFree(block);
    return 2;
  }
  EmptyClipboard();
  // From here the block belongs to the clipboard, unless the call fails.
  if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
  CloseClipboard();
  return 0;
}

int Clear() {
  if (!OpenClipboardPatiently()) return 2;
  EmptyClipboard();
  CloseClipboard();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && wcscmp(argv[1], L"print") == 0) return Print();
  if (argc >= 3 && wcscmp(argv[1], L"set") == 0) return Set(argv[2]);
  if (argc >= 2 && wcscmp(argv[1], L"clear") == 0) return Clear();
  if (argc >= 3 && wcscmp(argv[1], L"hold") == 0) {
    Sleep(static_cast<DWORD>(_wtoi(argv[2])) * 1000);
    return 0;
  }
  WriteOut("usage: clipboard_text print | set TEXT | clear | hold SECONDS\n");
  return 64;
}
