// The Windows environment: variables are UTF-16 already.

#include <windows.h>

#include "platform/environment.h"
#include "platform/owned.h"

namespace {

// The value may change between asking its size and reading it: ask again
// until it fits.
char16_t* Win32Variable(const char16_t* name, bool* failed) {
  auto* wideName = reinterpret_cast<const wchar_t*>(name);
  DWORD needed = GetEnvironmentVariableW(wideName, nullptr, 0);
  while (needed > 1) {
    OwnedBlock<char16_t> value = MakeBlock<char16_t>(needed);
    if (value == nullptr) {
      *failed = true;
      return nullptr;
    }
    DWORD got = GetEnvironmentVariableW(wideName, reinterpret_cast<wchar_t*>(value.get()), needed);
    if (got > 0 && got < needed) return value.release();
    needed = got;
  }
  return nullptr;
}

}  // namespace

EnvironmentApi g_environment{Win32Variable};
