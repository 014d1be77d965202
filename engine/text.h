#pragma once
// Small UTF-16 helpers shared by the engine.

#include <cstddef>
#include <cstdint>

size_t TextLength(const char16_t* text);
bool TextEqual(const char16_t* a, const char16_t* b);
// A copy of text's first length units and a terminator, through
// PlatformAlloc; null on failure.
char16_t* CopyText(const char16_t* text, size_t length);
// UTF-8 bytes as UTF-16 through PlatformAlloc, NUL-terminated, *length
// units; a byte of no valid sequence (overlong forms and encoded surrogates
// included) becomes its lone surrogate, as in names POSIX gives. Null on
// failure.
char16_t* DecodeUtf8(const char* bytes, size_t size, size_t* length);
