// The POSIX environment: variables are bytes, read byte-exactly as names are.

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/environment.h"
#include "platform/memory.h"
#include "platform/utf8.h"

namespace {

char16_t* PosixVariable(const char16_t* name, bool* failed) {
  const char* value = std::getenv(ToUtf8(name, LoneSurrogates::AsBytes).c_str());
  if (value == nullptr || value[0] == 0) return nullptr;
  std::u16string text = FromUtf8(value);
  auto* copy = static_cast<char16_t*>(PlatformAllocArray(text.size() + 1, sizeof(char16_t)));
  if (copy == nullptr) {
    *failed = true;
    return nullptr;
  }
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return copy;
}

}  // namespace

EnvironmentApi g_environment{PosixVariable};
