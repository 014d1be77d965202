#include <windows.h>

#include "platform/ansi_code.h"

// Converts one unit to the system's ANSI code page. A zeroed second byte
// means a single-byte result; a unit without a mapping gives the code page's
// default character.
uint16_t AnsiCode(char16_t ch) {
  wchar_t unit = static_cast<wchar_t>(ch);
  char bytes[3] = {0, 0, 0};
  WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
  uint16_t lead = static_cast<unsigned char>(bytes[0]);
  uint16_t trail = static_cast<unsigned char>(bytes[1]);
  return trail == 0 ? lead : static_cast<uint16_t>(lead * 256 + trail);
}
