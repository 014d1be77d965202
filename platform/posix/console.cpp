#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/memory.h"
#include "platform/utf8.h"

namespace {

int g_outputError = 0;
std::atomic<bool>* g_interruptFlag = nullptr;

// Only an atomic store: safe in a signal handler. SA_RESETHAND makes a
// second Ctrl+C end the program the usual way.
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

// A PlatformAlloc'd copy; null when storage runs out.
char16_t* CopyText(const std::u16string& text) {
  auto* copy = static_cast<char16_t*>(PlatformAllocArray(text.size() + 1, sizeof(char16_t)));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return copy;
}

}  // namespace

const LoneSurrogates kOutputLoneSurrogates = LoneSurrogates::AsBytes;

bool StandardOutputIsConsole() { return false; }

bool ProgressLineWanted() { return isatty(STDERR_FILENO) == 1 && isatty(STDOUT_FILENO) != 1; }

WriteResult WriteConsoleUnits(const char16_t*, size_t) { return WriteResult::Failed; }

WriteResult WriteOutputBytes(const char* bytes, size_t count) { return WriteAll(STDOUT_FILENO, bytes, count, true); }

int32_t OutputError() { return g_outputError; }

void WriteErrorText(const char16_t* text, size_t count) {
  std::u16string piece(text, count);
  std::string bytes = ToUtf8(piece.c_str(), kOutputLoneSurrogates);
  WriteAll(STDERR_FILENO, bytes.data(), bytes.size(), false);
}

void WatchInterrupt(std::atomic<bool>* abort) {
  g_interruptFlag = abort;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

// The working folder, then each component of path: "." is dropped, ".."
// drops the component before it (never the root), repeated separators go.
// Without a working folder (removed under us) a relative path stays as
// given: reading it, the system tells what it makes of it.
char16_t* AbsolutePath(const char16_t* path) {
  std::u16string result;
  if (path[0] != u'/') {
    char* folder = getcwd(nullptr, 0);
    if (folder == nullptr) return CopyText(path);
    result = FromUtf8(folder);
    std::free(folder);
  }
  std::u16string text(path);
  size_t i = 0;
  while (i <= text.size()) {
    size_t end = text.find(u'/', i);
    if (end == std::u16string::npos) end = text.size();
    std::u16string component = text.substr(i, end - i);
    if (component == u"..") {
      size_t cut = result.rfind(u'/');
      result.erase(cut == std::u16string::npos ? 0 : cut);
    } else if (!component.empty() && component != u".") {
      result += u'/';
      result += component;
    }
    i = end + 1;
  }
  if (result.empty()) result = u"/";
  return CopyText(result);
}

void DescribeSystemError(int32_t code, char16_t* buffer, size_t capacity) {
  if (capacity == 0) return;
  std::u16string text = FromUtf8(std::strerror(code));
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(buffer, text.data(), n * sizeof(char16_t));
  buffer[n] = 0;
}
