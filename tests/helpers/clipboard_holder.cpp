// Holds the clipboard open for the given milliseconds, as a clipboard manager does; prints "held" once it has it.
// Given paths after the time, it first puts them there as files, as Explorer's Copy does.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int wmain(int argc, wchar_t** argv) {
  HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::wstring list;
  for (int i = 2; i < argc; ++i) list.append(argv[i]).push_back(L'\0');
  list.push_back(L'\0');
  bool held = false;
  for (int attempt = 0; attempt < 200 && !(held = OpenClipboard(window) != 0); ++attempt) Sleep(10);
  if (held && argc > 2) {
    DROPFILES head{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(head) + list.size() * sizeof(wchar_t));
    auto* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, &head, sizeof(head));
    std::memcpy(bytes + sizeof(head), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    held = EmptyClipboard() && SetClipboardData(CF_HDROP, block) != nullptr && CloseClipboard();
  }
  std::printf(held ? "held\n" : "refused\n");
  std::fflush(stdout);
  Sleep(argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) : 2000);
  return held ? (argc > 2 || CloseClipboard(), 0) : 1;
}
