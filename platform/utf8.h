#pragma once
// UTF-16 <-> UTF-8, the one codec of the POSIX system calls, the console
// tool's UTF-8 output and readable test output.
//
// A POSIX name is bytes, not always UTF-8. FromUtf8 reads them byte-exactly:
// every byte that is not part of well-formed UTF-8 (a stray byte, a truncated
// sequence, an overlong form, an encoded surrogate, a code point past
// U+10FFFF) becomes the lone surrogate U+DC80 + (byte - 0x80). Written with
// LoneSurrogates::AsBytes, such a surrogate is that byte again, so a name
// read from the system goes back to it unchanged.

#include <cstddef>
#include <string>

// What becomes of a lone surrogate on its way to UTF-8, which has no form
// for it.
enum class LoneSurrogates {
  Replaced,  // U+FFFD (Windows: names are UTF-16 there)
  AsBytes,   // U+DC80..U+DCFF the byte 0x80..0xFF it stands for, any other U+FFFD
};

// The code point at units[*index] (a surrogate pair taken whole, a lone
// surrogate read as U+FFFD); *index moves past it. *index < count.
char32_t NextCodePoint(const char16_t* units, size_t count, size_t* index);
// Writes the code point's UTF-8 form to out, which has room for 4 bytes;
// returns the number of bytes written.
size_t EncodeUtf8(char32_t cp, char* out);
// Writes the UTF-8 form of the character at units[*index] to out, which has
// room for 4 bytes, lone surrogates as mode says; *index moves past it.
// Returns the number of bytes written. *index < count.
size_t EncodeNextUtf8(const char16_t* units, size_t count, size_t* index, LoneSurrogates mode, char* out);

// Reads the character at bytes[*index] into out (room for 2 units): one
// unit, a surrogate pair, or for a byte that is not part of well-formed
// UTF-8 that byte alone as its lone surrogate. *index moves past what was
// read; returns the units written. *index < size.
size_t DecodeNextUtf8(const char* bytes, size_t size, size_t* index, char16_t* out);

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
