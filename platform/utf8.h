#pragma once
// UTF-16 <-> UTF-8, for the POSIX system calls and readable test output.
// Lone surrogates become U+FFFD on the way out.

#include <string>

std::string ToUtf8(const char16_t* text);
std::u16string FromUtf8(const char* text);
