#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

DWORD g_outputError = 0;
std::atomic<bool>* g_interruptFlag = nullptr;

// Ctrl+C and Ctrl+Break cancel the listing; the program then exits by
// itself. The other events (close, log-off) keep their default.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (g_interruptFlag != nullptr) g_interruptFlag->store(true, std::memory_order_relaxed);
  return TRUE;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Console writes go in pieces the console host takes in one call.
WriteResult WriteUnits(HANDLE handle, const char16_t* units, size_t count) {
  while (count > 0) {
    DWORD piece = count > 16384 ? 16384 : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteConsoleW(handle, units, piece, &written, nullptr) || written == 0) {
      g_outputError = GetLastError();
      return WriteResult::Failed;
    }
    units += written;
    count -= written;
  }
  return WriteResult::Written;
}

WriteResult WriteBytes(HANDLE handle, const char* bytes, size_t count, bool remember) {
  while (count > 0) {
    DWORD piece = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteFile(handle, bytes, piece, &written, nullptr) || written == 0) {
      DWORD error = GetLastError();
      if (remember) g_outputError = error;
      return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ? WriteResult::Closed : WriteResult::Failed;
    }
    bytes += written;
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
  return WriteUnits(GetStdHandle(STD_OUTPUT_HANDLE), units, count);
}

WriteResult WriteOutputBytes(const char* bytes, size_t count) {
  return WriteBytes(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, true);
}

int32_t OutputError() { return static_cast<int32_t>(g_outputError); }

// To a console as units; elsewhere in pieces of UTF-8, as the listing.
void WriteErrorText(const char16_t* text, size_t count) {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (IsConsole(handle)) {
    DWORD saved = g_outputError;
    WriteUnits(handle, text, count);
    g_outputError = saved;
    return;
  }
  EncodeUtf8InPieces(text, count, kOutputLoneSurrogates,
                     [handle](const char* bytes, size_t size) { WriteBytes(handle, bytes, size, false); });
}

void WatchInterrupt(std::atomic<bool>* abort) {
  g_interruptFlag = abort;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

// GetFullPathNameW works on the text alone: "." and ".." are resolved by
// name, links are not followed, and a drive-relative "C:x" takes the
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
  while (length > 0 && (buffer[length - 1] == u'\r' || buffer[length - 1] == u'\n' || buffer[length - 1] == u' ' ||
                        buffer[length - 1] == u'.' || buffer[length - 1] == u'\u3002')) {
    --length;
  }
  buffer[length] = 0;
  if (length == 0) {
    static const char16_t kUnknown[] = u"error ";
    size_t n = 0;
    for (; kUnknown[n] != 0 && n + 1 < capacity; ++n) buffer[n] = kUnknown[n];
    char digits[16];
    int count = std::snprintf(digits, sizeof(digits), "%lu", static_cast<unsigned long>(static_cast<DWORD>(code)));
    for (int k = 0; k < count && n + 1 < capacity; ++k) buffer[n++] = static_cast<char16_t>(digits[k]);
    buffer[n] = 0;
  }
}
