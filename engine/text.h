#pragma once
// Small UTF-16 helpers shared by the engine.

#include <cstddef>
#include <cstdint>

size_t TextLength(const char16_t* text);
bool TextEqual(const char16_t* a, const char16_t* b);
// A copy of text's first length units and a terminator, through
// PlatformAlloc; null on failure.
char16_t* CopyText(const char16_t* text, size_t length);
