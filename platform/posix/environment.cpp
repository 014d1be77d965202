// The POSIX environment: variables are bytes, read byte-exactly as names are.

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/array.h"
#include "platform/environment.h"
#include "platform/owned.h"
#include "platform/utf8.h"

namespace {

char16_t* PosixVariable(const char16_t* name, bool* failed) {
  size_t count = std::char_traits<char16_t>::length(name);
  Array<char> bytes;
  char unit[4];
  bool stored = true;
  for (size_t i = 0; stored && i < count;) {
    stored = bytes.AppendUnits(unit, EncodeNextUtf8(name, count, &i, LoneSurrogates::AsBytes, unit));
  }
  stored = stored && bytes.Append('\0');
  const char* value = stored ? std::getenv(bytes.data()) : nullptr;
  size_t size = value != nullptr ? std::strlen(value) : 0;
  OwnedBlock<char16_t> copy = size > 0 ? MakeBlock<char16_t>(size + 1) : nullptr;
  *failed |= !stored || (size > 0 && copy == nullptr);
  if (copy != nullptr) DecodeUtf8Into(value, size, copy.get(), size + 1);
  return copy.release();
}

}  // namespace

EnvironmentApi g_environment{PosixVariable};
