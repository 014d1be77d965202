#include <windows.h>

#include <atomic>

#include "platform/ansi_code.h"

namespace {

// Each unit is converted once (the code page cannot change while the program
// runs); a slot holds the code with bit 16 set once it is known.
std::atomic<uint32_t> g_known[65536];

// A zeroed second byte means a single-byte result; a unit without a mapping
// gives the code page's default character.
uint16_t ConvertUnit(char16_t ch) {
  wchar_t unit = static_cast<wchar_t>(ch);
  char bytes[3] = {0, 0, 0};
  WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
  uint16_t lead = static_cast<unsigned char>(bytes[0]);
  uint16_t trail = static_cast<unsigned char>(bytes[1]);
  return trail == 0 ? lead : static_cast<uint16_t>(lead * 256 + trail);
}

}  // namespace

uint16_t AnsiCode(char16_t ch) {
  uint32_t slot = g_known[ch].load(std::memory_order_relaxed);
  if (slot == 0) {
    slot = 0x10000u | ConvertUnit(ch);
    g_known[ch].store(slot, std::memory_order_relaxed);
  }
  return static_cast<uint16_t>(slot);
}
