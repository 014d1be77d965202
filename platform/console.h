#pragma once
// The console tool's side of the system: its standard streams, Ctrl+C, the
// working folder and the system's error texts.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/owned.h"
#include "platform/utf8.h"

enum class WriteResult {
  Written,
  Closed,  // the reader went away (a closed pipe): not an error of ours
  Failed,  // any other failure; OutputError() tells why
};

// Whether standard output is a console window, which takes Unicode text,
// rather than a file or pipe, which takes bytes. Always false on POSIX.
bool StandardOutputIsConsole();
// Writes units to the console window behind standard output.
WriteResult WriteConsoleUnits(const char16_t* units, size_t count);
// Writes bytes to standard output (a file or pipe).
WriteResult WriteOutputBytes(const char* bytes, size_t count);
// The error code of the write that failed last.
int32_t OutputError();
// How the bytes written to standard output and error (UTF-8) give lone
// surrogates: on POSIX as the bytes of names that are not UTF-8, so a line
// holds a name's own bytes; on Windows, where names are UTF-16, as U+FFFD.
extern const LoneSurrogates kOutputLoneSurrogates;

// Whether a progress line may be drawn on standard error: it is a terminal
// (a console window), and standard output is not one, so that the line
// never mixes with the listing.
bool ProgressLineWanted();

// Writes text to standard error: Unicode to a console, UTF-8 elsewhere.
void WriteErrorText(const char16_t* text, size_t count);

// From the first Ctrl+C on (SIGINT, the console's control handler), *abort
// reads true; the program then ends by itself.
void WatchInterrupt(std::atomic<bool>* abort);

// The absolute form of path, made from the working folder without resolving
// links ("." and ".." are taken by their text); the path as given when the
// system cannot tell the working folder. Null only when storage runs out.
Text AbsolutePath(const char16_t* path);

// The system's short description of an error code, NUL-terminated and cut
// to fit capacity units.
void DescribeSystemError(int32_t code, char16_t* buffer, size_t capacity);
