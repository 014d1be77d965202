#pragma once
// UTF-16 <-> UTF-8, for the POSIX system calls, the console tool's output
// and readable test output. Lone surrogates become U+FFFD on the way out.

#include <cstddef>
#include <string>

// The code point at units[*index] (a surrogate pair taken whole, a lone
// surrogate read as U+FFFD); *index moves past it. *index < count.
char32_t NextCodePoint(const char16_t* units, size_t count, size_t* index);
// Writes the code point's UTF-8 form to out, which has room for 4 bytes;
// returns the number of bytes written.
size_t EncodeUtf8(char32_t cp, char* out);

std::string ToUtf8(const char16_t* text);
std::u16string FromUtf8(const char* text);
