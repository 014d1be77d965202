#pragma once
// The POSIX layer's clipboard lives in the process: tests read it here.

#include <string>

// The stored units, terminator included; empty before anything was stored.
std::u16string PosixClipboardData();
void SetPosixClipboardData(const std::u16string& units);
