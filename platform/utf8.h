#pragma once
// UTF-16 <-> UTF-8 for the POSIX system calls and the console tool's output.
// A POSIX name is bytes, not always UTF-8: every byte that is not part of
// well-formed UTF-8 decodes to the lone surrogate U+DC80 + (byte - 0x80),
// which LoneSurrogates::AsBytes writes as that byte again.

#include <cstddef>
#include <string>

// What becomes of a lone surrogate, which UTF-8 has no form for.
enum class LoneSurrogates {
  Replaced,  // U+FFFD (Windows: names are UTF-16 there)
  AsBytes,   // U+DC80..U+DCFF the byte 0x80..0xFF it stands for, any other U+FFFD
};

// Writes the UTF-8 form of the character at units[*index] (*index < count)
// to out, which has room for 4 bytes; *index moves past it. Returns the
// bytes written.
size_t EncodeNextUtf8(const char16_t* units, size_t count, size_t* index, LoneSurrogates mode, char* out);

// Reads the character at bytes[*index] (*index < size) into out (room for 2
// units); *index moves past what was read. Returns the units written.
size_t DecodeNextUtf8(const char* bytes, size_t size, size_t* index, char16_t* out);

// Decodes size bytes into out with a terminator, cut to fit capacity units
// (>= 1); returns the units written. A byte gives at most one unit, so
// capacity size + 1 takes all.
size_t DecodeUtf8Into(const char* bytes, size_t size, char16_t* out, size_t capacity);

// Encodes count units as UTF-8 in pieces of at most 1 KiB, handing each to
// write(bytes, size): error texts of any length, with no storage to run out.
template <class Write>
void EncodeUtf8InPieces(const char16_t* text, size_t count, LoneSurrogates mode, Write write) {
  char bytes[1024];
  size_t used = 0;
  for (size_t i = 0; i < count;) {
    used += EncodeNextUtf8(text, count, &i, mode, bytes + used);
    if (used + 4 > sizeof(bytes) || i == count) {
      write(bytes, used);
      used = 0;
    }
  }
}

// For the benchmarks and tests.
std::string ToUtf8(const char16_t* text, LoneSurrogates mode);
std::u16string FromUtf8(const char* text);
