// The native tests list real folders by Windows paths, as Wine shows the host to Windows programs: Z:\a\b is /a/b,
// other drives and network paths do not exist, a path that starts with '/' stays native. Installed before any test.
#include "tests/support/test_support.h"

static const FileSystemApi kPosix = g_fileSystem;  // the product's own, taking native paths only
static std::u16string Host(std::u16string path) {
  if (path.size() < 2 || (path[0] != u'Z' && path[0] != u'z') || path[1] != u':') return path[0] == u'/' ? path : u"";
  std::replace(path.begin(), path.end(), u'\\', u'/');
  return path.size() > 2 ? path.substr(2) : u"/";
}
const FileSystemApi kDriveZ{
    [](auto path) { return kPosix.queryAttributes(Host(path).c_str()); },
    [](auto path, auto onEntry, auto context) { return kPosix.enumerateFolder(Host(path).c_str(), onEntry, context); },
    [] { return kPosix.lastError(); },
    [](auto path, bool noFollow, char** bytes, size_t* size) { return kPosix.readFile(Host(path).c_str(), noFollow, bytes, size); }};
static const EnvironmentApi kPosixEnvironment = g_environment;  // and the environment's folders as Z:\ paths
// Each look at the clock is a second later: every folder read is slow, so the jobs read ahead as on a network.
static int64_t SteppingClock() {
  static std::atomic<int64_t> now{0};
  return now += 1000000;
}
[[maybe_unused]] static const bool kInstalled = (g_fileSystem = kDriveZ, g_thread.microseconds = SteppingClock, g_environment.variable = [](auto name, bool* failed) {
  char16_t* value = kPosixEnvironment.variable(name, failed);
  std::u16string path = value != nullptr && value[0] == u'/' ? EnginePath(Utf8(value)) : u"";
  if (path.empty()) return value;
  PlatformFree(value);
  return (value = CopyText(path.c_str(), path.size())) != nullptr ? value : (*failed = true, nullptr);
}, true);
