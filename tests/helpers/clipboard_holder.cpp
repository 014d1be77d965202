// Holds the clipboard open for the given number of milliseconds, as a
// clipboard manager or a remote desktop session does, so that tests can
// meet a busy clipboard for real. Prints "held" once it has it.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  DWORD milliseconds = argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) : 2000;
  // A window of its own as the clipboard's holder, as real programs have.
  HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  bool held = false;
  for (int attempt = 0; attempt < 200 && !(held = OpenClipboard(window) != 0); ++attempt) Sleep(10);
  std::printf(held ? "held\n" : "refused\n");
  std::fflush(stdout);
  Sleep(milliseconds);
  if (held) CloseClipboard();
  DestroyWindow(window);
  return held ? 0 : 1;
}
