// The Windows environment: variables are UTF-16 already.

#include <windows.h>

#include "platform/environment.h"
#include "platform/memory.h"

namespace {

// The value may change between asking its size and reading it: ask again
// until it fits.
char16_t* Win32Variable(const char16_t* name, bool* failed) {
  auto* wideName = reinterpret_cast<const wchar_t*>(name);
  DWORD needed = GetEnvironmentVariableW(wideName, nullptr, 0);
  while (needed > 1) {
    auto* value = static_cast<char16_t*>(PlatformAllocArray(needed, sizeof(char16_t)));
    if (value == nullptr) {
      *failed = true;
      return nullptr;
    }
    DWORD got = GetEnvironmentVariableW(wideName, reinterpret_cast<wchar_t*>(value), needed);
    if (got > 0 && got < needed) return value;
    PlatformFree(value);
    needed = got;
  }
  return nullptr;
}

}  // namespace

EnvironmentApi g_environment{Win32Variable};
