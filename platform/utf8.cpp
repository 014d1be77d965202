#include "platform/utf8.h"

#include <cstdint>

char32_t NextCodePoint(const char16_t* units, size_t count, size_t* index) {
  char32_t cp = units[*index];
  *index += 1;
  if (cp >= 0xD800 && cp < 0xDC00 && *index < count && units[*index] >= 0xDC00 && units[*index] < 0xE000) {
    cp = 0x10000 + ((cp - 0xD800) << 10) + (units[*index] - 0xDC00u);
    *index += 1;
  } else if (cp >= 0xD800 && cp < 0xE000) {
    cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
  }
  return cp;
}

size_t EncodeUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

// A low half met here is lone: NextCodePoint takes a pair from its high half.
size_t EncodeNextUtf8(const char16_t* units, size_t count, size_t* index, LoneSurrogates mode, char* out) {
  char16_t unit = units[*index];
  if (mode == LoneSurrogates::AsBytes && unit >= 0xDC80 && unit < 0xDD00) {
    *index += 1;
    out[0] = static_cast<char>(unit - 0xDC00);
    return 1;
  }
  return EncodeUtf8(NextCodePoint(units, count, index), out);
}

std::string ToUtf8(const char16_t* text, LoneSurrogates mode) {
  std::string out;
  size_t count = std::char_traits<char16_t>::length(text);
  char bytes[4];
  for (size_t i = 0; i < count;) out.append(bytes, EncodeNextUtf8(text, count, &i, mode, bytes));
  return out;
}

// A sequence that is not well-formed gives up its first byte alone and is
// read again from the next: its other bytes, continuation bytes that cannot
// start a character, are then escaped one by one too. Overlong forms and
// encoded surrogates are not characters: read as such, the bytes C0 AF
// would put a '/' into a name from the disk, C0 AE C0 AE would read as "..".
size_t DecodeNextUtf8(const char* bytes, size_t size, size_t* index, char16_t* out) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes) + *index;
  size_t left = size - *index;
  if (s[0] < 0x80) {
    out[0] = s[0];
    *index += 1;
    return 1;
  }
  uint32_t cp = 0;
  size_t extra = 0;
  if ((s[0] & 0xE0) == 0xC0) {
    cp = s[0] & 0x1F;
    extra = 1;
  } else if ((s[0] & 0xF0) == 0xE0) {
    cp = s[0] & 0x0F;
    extra = 2;
  } else if ((s[0] & 0xF8) == 0xF0) {
    cp = s[0] & 0x07;
    extra = 3;
  }
  size_t taken = 0;
  while (taken < extra && 1 + taken < left && (s[1 + taken] & 0xC0) == 0x80) {
    cp = (cp << 6) | (s[1 + taken] & 0x3F);
    ++taken;
  }
  static const uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
  if (extra == 0 || taken < extra || cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
    out[0] = static_cast<char16_t>(0xDC00 + s[0]);  // a byte 0x80..0xFF: U+DC80..U+DCFF
    *index += 1;
    return 1;
  }
  *index += 1 + extra;
  if (cp < 0x10000) {
    out[0] = static_cast<char16_t>(cp);
    return 1;
  }
  cp -= 0x10000;
  out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
  out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  return 2;
}

std::u16string FromUtf8(const char* text) {
  std::u16string out;
  size_t size = std::char_traits<char>::length(text);
  char16_t units[2];
  for (size_t i = 0; i < size;) out.append(units, DecodeNextUtf8(text, size, &i, units));
  return out;
}
