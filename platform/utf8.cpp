#include "platform/utf8.h"

#include <cstdint>

// A low half met here is lone: a pair is taken from its high half.
size_t EncodeNextUtf8(const char16_t* units, size_t count, size_t* index, LoneSurrogates mode, char* out) {
  char32_t cp = units[(*index)++];
  if (cp < 0x80) {  // most names' units: first, for speed
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (mode == LoneSurrogates::AsBytes && cp >= 0xDC80 && cp < 0xDD00) {
    out[0] = static_cast<char>(cp - 0xDC00);
    return 1;
  }
  if (cp >= 0xD800 && cp < 0xDC00 && *index < count && units[*index] >= 0xDC00 && units[*index] < 0xE000) {
    cp = 0x10000 + ((cp - 0xD800) << 10) + (units[(*index)++] - 0xDC00u);
  } else if (cp >= 0xD800 && cp < 0xE000) {
    cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
  }
  int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  out[0] = static_cast<char>((0xFF << (7 - extra)) | (cp >> (6 * extra)));
  for (int k = 1; k <= extra; ++k) out[k] = static_cast<char>(0x80 | ((cp >> (6 * (extra - k))) & 0x3F));
  return static_cast<size_t>(extra) + 1;
}

std::string ToUtf8(const char16_t* text, LoneSurrogates mode) {
  std::string out;
  EncodeUtf8InPieces(text, std::char_traits<char16_t>::length(text), mode,
                     [&out](const char* bytes, size_t size) { out.append(bytes, size); });
  return out;
}

// A sequence that is not well-formed gives up its first byte alone and is
// read again from the next. Overlong forms are not characters: read as such,
// C0 AF would put a '/' into a name from the disk, C0 AE C0 AE read as "..".
size_t DecodeNextUtf8(const char* bytes, size_t size, size_t* index, char16_t* out) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes) + *index;
  if (s[0] < 0x80) {  // most names' bytes: first, for speed
    out[0] = s[0];
    *index += 1;
    return 1;
  }
  size_t extra = (s[0] & 0xE0) == 0xC0 ? 1 : (s[0] & 0xF0) == 0xE0 ? 2 : (s[0] & 0xF8) == 0xF0 ? 3 : 0;
  uint32_t cp = s[0] & (0x3F >> extra);
  size_t taken = 0;
  for (; taken < extra && 1 + taken < size - *index && (s[1 + taken] & 0xC0) == 0x80; ++taken) {
    cp = (cp << 6) | (s[1 + taken] & 0x3F);
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

size_t DecodeUtf8Into(const char* bytes, size_t size, char16_t* out, size_t capacity) {
  size_t n = 0;
  char16_t units[2];
  for (size_t i = 0; i < size && n + 1 < capacity;) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {  // without a call: most bytes of names
      out[n++] = static_cast<char16_t>(bytes[i++]);
      continue;
    }
    size_t count = DecodeNextUtf8(bytes, size, &i, units);
    for (size_t k = 0; k < count && n + 1 < capacity; ++k) out[n++] = units[k];
  }
  out[n] = 0;
  return n;
}

std::u16string FromUtf8(const char* text) {
  size_t size = std::char_traits<char>::length(text);
  std::u16string out(size, u'\0');
  out.resize(DecodeUtf8Into(text, size, out.data(), size + 1));
  return out;
}
