#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/array.h"

namespace {

int g_outputError = 0;
std::atomic<bool>* g_interruptFlag = nullptr;

// Only an atomic store: safe in a signal handler.
void OnInterrupt(int) {
  if (g_interruptFlag != nullptr) g_interruptFlag->store(true, std::memory_order_relaxed);
}

WriteResult WriteAll(int fd, const char* bytes, size_t count, bool remember) {
  while (count > 0) {
    ssize_t n = write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (remember) g_outputError = n < 0 ? errno : EIO;
      return n < 0 && errno == EPIPE ? WriteResult::Closed : WriteResult::Failed;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return WriteResult::Written;
}

}  // namespace

const LoneSurrogates kOutputLoneSurrogates = LoneSurrogates::AsBytes;

bool StandardOutputIsConsole() { return false; }

bool ProgressLineWanted() { return isatty(STDERR_FILENO) == 1 && isatty(STDOUT_FILENO) != 1; }

WriteResult WriteConsoleUnits(const char16_t*, size_t) { return WriteResult::Failed; }

WriteResult WriteOutputBytes(const char* bytes, size_t count) { return WriteAll(STDOUT_FILENO, bytes, count, true); }

int32_t OutputError() { return g_outputError; }

void WriteErrorText(const char16_t* text, size_t count) {
  EncodeUtf8InPieces(text, count, kOutputLoneSurrogates,
                     [](const char* bytes, size_t size) { WriteAll(STDERR_FILENO, bytes, size, false); });
}

// SA_RESETHAND makes a second Ctrl+C end the program the usual way.
void WatchInterrupt(std::atomic<bool>* abort) {
  g_interruptFlag = abort;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

// The working folder, then each component: "." goes, ".." drops the one
// before it (never the root). Without a working folder (removed under us) a
// relative path stays as given: the system tells what it makes of it.
Text AbsolutePath(const char16_t* path) {
  Array<char16_t> result;
  for (size_t size = 256; path[0] != u'/'; size *= 2) {
    OwnedBlock<char> folder = MakeBlock<char>(size);
    if (!folder) return Text();
    if (getcwd(folder.get(), size) != nullptr) {
      char16_t units[2];
      for (size_t i = 0, length = std::strlen(folder.get()); i < length;) {
        if (!result.AppendUnits(units, DecodeNextUtf8(folder.get(), length, &i, units))) return Text();
      }
      break;
    }
    if (errno != ERANGE) return Text::Copy(path, std::char_traits<char16_t>::length(path));
  }
  for (const char16_t* at = path; *at != 0;) {
    const char16_t* end = at;
    while (*end != 0 && *end != u'/') ++end;
    size_t length = static_cast<size_t>(end - at);
    if (length == 2 && at[0] == u'.' && at[1] == u'.') {
      while (!result.empty() && result.back() != u'/') result.PopBack();
      if (!result.empty()) result.PopBack();
    } else if (length > 0 && !(length == 1 && at[0] == u'.')) {
      if (!result.Append(u'/') || !result.AppendUnits(at, length)) return Text();
    }
    at = *end != 0 ? end + 1 : end;
  }
  if (result.empty() && !result.Append(u'/')) return Text();
  return Text::Copy(result.data(), result.size());
}

void DescribeSystemError(int32_t code, char16_t* buffer, size_t capacity) {
  const char* text = std::strerror(code);
  if (capacity > 0) DecodeUtf8Into(text, std::strlen(text), buffer, capacity);
}
