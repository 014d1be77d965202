// The POSIX file system, seen the way Wine shows it to Windows programs: the
// root folder is the drive Z: and backslashes separate the components.

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/filesystem.h"
#include "platform/utf8.h"

namespace {

// A path that starts with '/' is a native path and is taken as it is (a
// backslash is part of a name there). A Windows path, as the tests give
// them, is read the way Wine shows the system: Z:\a\b -> /a/b, any other text
// keeps its form with '/' for '\'; other drives and network paths do not
// exist here.
bool ToNativePath(const char16_t* path, std::string* native) {
  std::u16string text(path);
  if (!text.empty() && text[0] == u'/') {
    *native = ToUtf8(text.c_str());
    return true;
  }
  if (text.size() >= 2 && text[1] == u':') {
    if (text[0] != u'Z' && text[0] != u'z') {
      errno = ENOENT;
      return false;
    }
    text.erase(0, 2);
    if (text.empty()) text = u"/";
  } else if (text.size() >= 2 && text[0] == u'\\' && text[1] == u'\\') {
    errno = ENOENT;
    return false;
  }
  for (char16_t& ch : text) {
    if (ch == u'\\') ch = u'/';
  }
  *native = ToUtf8(text.c_str());
  return true;
}

uint32_t PosixQueryAttributes(const char16_t* path) {
  std::string native;
  if (!ToNativePath(path, &native)) return kInvalidAttributes;
  struct stat info;
  if (stat(native.c_str(), &info) != 0) return kInvalidAttributes;
  return S_ISDIR(info.st_mode) ? kAttributeDirectory : 0x80;  // FILE_ATTRIBUTE_NORMAL
}

FolderRead PosixEnumerateFolder(const char16_t* folder, FolderEntryFn onEntry, void* context) {
  std::string native;
  if (!ToNativePath(folder, &native)) return FolderRead::Unreadable;
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) return FolderRead::Unreadable;
  if (native.empty() || native.back() != '/') native += '/';
  FolderRead result = FolderRead::Complete;
  int failure = 0;
  for (;;) {
    // readdir gives null both at the end and on an error; errno tells them
    // apart.
    errno = 0;
    struct dirent* entry = readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) {
        result = FolderRead::Failed;
        failure = errno;
      }
      break;
    }
    // The entry's type usually comes with it; only links, and file systems
    // that do not report types, need a look at the entry itself.
    bool isLink = entry->d_type == DT_LNK;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || isLink) {
      std::string full = native + entry->d_name;
      struct stat info;
      isFolder = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
      if (entry->d_type == DT_UNKNOWN) {
        struct stat linkInfo;
        isLink = lstat(full.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode);
      }
    }
    std::u16string name = FromUtf8(entry->d_name);
    FolderEntry report{name.c_str(), isFolder, isLink && isFolder};
    if (!onEntry(context, report)) break;
  }
  closedir(dir);
  if (result == FolderRead::Failed) errno = failure;  // the reason outlives closedir
  return result;
}

int32_t PosixLastError() { return errno; }

}  // namespace

FileSystemApi g_fileSystem{PosixQueryAttributes, PosixEnumerateFolder, PosixLastError};
