#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

DWORD g_outputError = 0;
std::atomic<bool>* g_interruptFlag = nullptr;

// Ctrl+C and Ctrl+Break cancel the listing; close and log-off keep their
// default.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (g_interruptFlag != nullptr) g_interruptFlag->store(true, std::memory_order_relaxed);
  return TRUE;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Writes units to a console (WriteConsoleW, 16384 units a call) or bytes to
// a file or pipe; the error of a failed write is kept for OutputError where
// remember.
WriteResult Write(HANDLE handle, const void* data, size_t count, bool console, bool remember) {
  DWORD most = console ? 16384 : 1u << 30;
  for (auto* at = static_cast<const char*>(data); count > 0;) {
    DWORD piece = count > most ? most : static_cast<DWORD>(count), written = 0;
    if (!(console ? WriteConsoleW(handle, at, piece, &written, nullptr)
                  : WriteFile(handle, at, piece, &written, nullptr)) ||
        written == 0) {
      DWORD error = GetLastError();
      if (remember) g_outputError = error;
      bool closed = !console && (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE);
      return closed ? WriteResult::Closed : WriteResult::Failed;
    }
    at += console ? written * sizeof(char16_t) : written;
    count -= written;
  }
  return WriteResult::Written;
}

}  // namespace

const LoneSurrogates kOutputLoneSurrogates = LoneSurrogates::Replaced;

bool StandardOutputIsConsole() { return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)); }

bool ProgressLineWanted() {
  return IsConsole(GetStdHandle(STD_ERROR_HANDLE)) && !IsConsole(GetStdHandle(STD_OUTPUT_HANDLE));
}

WriteResult WriteConsoleUnits(const char16_t* units, size_t count) {
  return Write(GetStdHandle(STD_OUTPUT_HANDLE), units, count, true, true);
}

WriteResult WriteOutputBytes(const char* bytes, size_t count) {
  return Write(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, false, true);
}

int32_t OutputError() { return static_cast<int32_t>(g_outputError); }

void WriteErrorText(const char16_t* text, size_t count) {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (IsConsole(handle)) {
    Write(handle, text, count, true, false);
    return;
  }
  EncodeUtf8InPieces(text, count, kOutputLoneSurrogates,
                     [handle](const char* bytes, size_t size) { Write(handle, bytes, size, false, false); });
}

void WatchInterrupt(std::atomic<bool>* abort) {
  g_interruptFlag = abort;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

// GetFullPathNameW works on the text alone; a drive-relative "C:x" takes the
// drive's own working folder. When it refuses, the path stays as given:
// reading it, the system tells what it makes of it.
Text AbsolutePath(const char16_t* path) {
  const auto* text = reinterpret_cast<const wchar_t*>(path);
  DWORD size = GetFullPathNameW(text, 0, nullptr, nullptr);
  for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
    OwnedBlock<char16_t> buffer = MakeBlock<char16_t>(size);
    if (buffer == nullptr) return Text();
    DWORD length = GetFullPathNameW(text, size, reinterpret_cast<wchar_t*>(buffer.get()), nullptr);
    if (length > 0 && length < size) return Text::Adopt(buffer.release(), length);
    size = length;  // the working folder changed in between: try the new size
  }
  return Text::Copy(path, std::wcslen(text));
}

void DescribeSystemError(int32_t code, char16_t* buffer, size_t capacity) {
  if (capacity == 0) return;
  buffer[0] = 0;
  DWORD size = capacity > 0xFFFF ? 0xFFFF : static_cast<DWORD>(capacity);
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(buffer), size, nullptr);
  if (length >= size) length = size - 1;
  // The system's texts end with a full stop and a line break.
  while (length > 0 && std::char_traits<char16_t>::find(u"\r\n .\u3002", 5, buffer[length - 1]) != nullptr) --length;
  buffer[length] = 0;
  if (length > 0) return;
  char unknown[24];  // no text for the code: "error" and its number
  int count = std::snprintf(unknown, sizeof unknown, "error %lu", static_cast<unsigned long>(static_cast<DWORD>(code)));
  DecodeUtf8Into(unknown, static_cast<size_t>(count), buffer, capacity);
}
