// Prints the target of each shortcut (.lnk) given, one UTF-8 line each, as the shell reads it: through IShellLinkW
// loaded by its IPersistFile. Exits 1 when one cannot be read or names no target.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>

static bool PrintTarget(IShellLinkW* link, const wchar_t* path) {
  IPersistFile* file = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return false;
  wchar_t target[MAX_PATH];  // GetPath returns at most MAX_PATH units, the terminator included
  bool read = SUCCEEDED(file->Load(path, STGM_READ)) && link->GetPath(target, MAX_PATH, nullptr, 0) == S_OK;
  file->Release();
  char utf8[4 * MAX_PATH];
  int length = read ? WideCharToMultiByte(CP_UTF8, 0, target, -1, utf8, sizeof utf8, nullptr, nullptr) : 0;
  if (length > 0) std::printf("%s\n", utf8);
  return length > 0;
}

int wmain(int argc, wchar_t** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  bool all = true;
  for (int i = 1; i < argc; ++i) {
    IShellLinkW* link = nullptr;
    bool made = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link)));
    all = made && PrintTarget(link, argv[i]) && all;
    if (made) link->Release();
  }
  CoUninitialize();
  return all ? 0 : 1;
}
