// The Windows environment: variables are UTF-16 already.

#include <windows.h>

#include "platform/environment.h"
#include "platform/owned.h"

// The value may change between asking its size and reading it: ask again
// until it fits.
EnvironmentApi g_environment{[](const char16_t* name, bool* failed) -> char16_t* {
  auto* wideName = reinterpret_cast<const wchar_t*>(name);
  for (DWORD needed = GetEnvironmentVariableW(wideName, nullptr, 0); needed > 1;) {
    OwnedBlock<char16_t> value = MakeBlock<char16_t>(needed);
    *failed |= value == nullptr;
    DWORD got = value ? GetEnvironmentVariableW(wideName, reinterpret_cast<wchar_t*>(value.get()), needed) : 0;
    if (got > 0 && got < needed) return value.release();
    needed = got;
  }
  return nullptr;
}};
