#pragma once
// Small UTF-16 helpers shared by the engine.

#include <cstddef>
#include <cstdint>

size_t TextLength(const char16_t* text);
bool TextEqual(const char16_t* a, const char16_t* b);
// Texts through PlatformAlloc, NUL-terminated; null on failure. Of UTF-8,
// *length units, and a byte of no valid sequence (overlong forms and
// encoded surrogates too) becomes its lone surrogate, as POSIX names do.
char16_t* CopyText(const char16_t* text, size_t length);
char16_t* DecodeUtf8(const char* bytes, size_t size, size_t* length);
