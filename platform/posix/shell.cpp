#include <mutex>

#include "platform/filesystem.h"
#include "platform/posix/posix_shell.h"

namespace {

std::mutex g_lock;
std::vector<ShellRequest> g_requests;

// There is no shell to start a viewer here: an existing file counts as
// opened, a missing one or a folder as a failure, which is the part of the
// answer the program acts on.
bool PosixOpenDocument(const char16_t* path) {
  uint32_t attributes = g_fileSystem.queryAttributes(path);
  bool opened = attributes != kInvalidAttributes && (attributes & kAttributeDirectory) == 0;
  std::lock_guard<std::mutex> hold(g_lock);
  g_requests.push_back(ShellRequest{"openDocument", path, u"", opened});
  return opened;
}

void PosixShowWarning(const char16_t* text, const char16_t* caption) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_requests.push_back(ShellRequest{"showWarning", text, caption, true});
}

}  // namespace

std::vector<ShellRequest> RecordedShellRequests() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_requests;
}

void ClearRecordedShellRequests() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_requests.clear();
}

ShellApi g_shell{PosixOpenDocument, PosixShowWarning};
