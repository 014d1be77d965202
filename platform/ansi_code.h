#pragma once
// A character's code in the ANSI code page (Shift_JIS, code page 932): a
// single byte b gives b, a double-byte character lead * 256 + trail, and a
// unit without a mapping the default character 0x3F.

#include <cstdint>

uint16_t AnsiCode(char16_t ch);
