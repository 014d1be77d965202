// Holds the clipboard open for the given milliseconds through a window of
// its own, as a clipboard manager does, so that tests meet a busy clipboard
// for real. Prints "held" once it has it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  bool held = false;
  for (int attempt = 0; attempt < 200 && !(held = OpenClipboard(window) != 0); ++attempt) Sleep(10);
  std::printf(held ? "held\n" : "refused\n");
  std::fflush(stdout);
  Sleep(argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) : 2000);
  return held ? (CloseClipboard(), 0) : 1;
}
