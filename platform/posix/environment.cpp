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
  if (!stored || !bytes.Append('\0')) {
    *failed = true;
    return nullptr;
  }
  const char* value = std::getenv(bytes.data());
  if (value == nullptr || value[0] == 0) return nullptr;
  // Every byte gives at most one unit: a pair comes from four.
  size_t size = std::strlen(value);
  OwnedBlock<char16_t> copy = MakeBlock<char16_t>(size + 1);
  if (copy == nullptr) {
    *failed = true;
    return nullptr;
  }
  size_t written = 0;
  for (size_t i = 0; i < size;) written += DecodeNextUtf8(value, size, &i, copy.get() + written);
  copy[written] = 0;
  return copy.release();
}

}  // namespace

EnvironmentApi g_environment{PosixVariable};
