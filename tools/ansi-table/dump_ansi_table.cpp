// Prints the code page 932 code of every UTF-16 unit, as Windows converts a
// single unit with WideCharToMultiByte and flags 0 (best fit included), as C
// initialiser text: 65,536 values "0x...." separated by commas, 16 per line.
// The POSIX build includes the output as its ANSI code table.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

// The code of one unit: a single byte b gives b, a lead and trail byte give
// lead * 256 + trail, nothing written gives 0.
unsigned CodeOf(wchar_t ch) {
  char bytes[3] = {0, 0, 0};
  WideCharToMultiByte(932, 0, &ch, 1, bytes, sizeof bytes, nullptr, nullptr);
  unsigned lead = static_cast<unsigned char>(bytes[0]);
  unsigned trail = static_cast<unsigned char>(bytes[1]);
  return trail == 0 ? lead : lead * 256 + trail;
}

}  // namespace

int wmain() {
  // Binary output: the table must not depend on the console's line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  for (unsigned unit = 0; unit < 65536; ++unit) {
    std::printf("0x%04X,%s", CodeOf(static_cast<wchar_t>(unit)), unit % 16 == 15 ? "\n" : "");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
