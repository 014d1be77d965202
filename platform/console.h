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

// Whether standard output is a console window, which takes Unicode text
// (WriteConsoleUnits), rather than bytes (WriteOutputBytes). False on POSIX.
bool StandardOutputIsConsole();
WriteResult WriteConsoleUnits(const char16_t* units, size_t count);
WriteResult WriteOutputBytes(const char* bytes, size_t count);
// The error code of the write that failed last.
int32_t OutputError();
// Lone surrogates in the output: on POSIX the bytes of names that are not
// UTF-8, so a line holds a name's own bytes; on Windows U+FFFD.
extern const LoneSurrogates kOutputLoneSurrogates;

// Whether standard error is a terminal and standard output is not, so that a
// progress line never mixes with the listing.
bool ProgressLineWanted();

// Unicode to a console, UTF-8 elsewhere.
void WriteErrorText(const char16_t* text, size_t count);

// From the first Ctrl+C on, *abort reads true; the program then ends by itself.
void WatchInterrupt(std::atomic<bool>* abort);

// The absolute form of path from the working folder, "." and ".." taken by
// their text; the path as given when the system cannot tell the working
// folder. Null only when storage runs out.
Text AbsolutePath(const char16_t* path);

// NUL-terminated and cut to fit capacity units.
void DescribeSystemError(int32_t code, char16_t* buffer, size_t capacity);
