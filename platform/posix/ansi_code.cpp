#include "platform/ansi_code.h"

// Code page 932 as Windows converts single units (best fit included),
// generated from the system's own conversion by tools/make-ansi-table.sh.
static const uint16_t kTable[65536] = {
#include "platform/posix/ansi_cp932.tbl"
};

uint16_t AnsiCode(char16_t ch) { return kTable[ch]; }
