// The POSIX file system. It takes native paths only: the console tool makes
// every path absolute before the listing reads it. Names are bytes: read
// with FromUtf8 and given back with LoneSurrogates::AsBytes, a name that is
// not UTF-8 reaches the system as the same bytes, so its folder is read.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/utf8.h"

namespace {

// A path that starts with '/' is taken as it is (a backslash is part of a
// name there). Any other path names nothing: read from the working folder,
// it would give lines that are not absolute and that depend on where the
// process stands, and a Windows path (C:\x, \\server\share) would be
// taken for a file of that odd name.
bool ToNativePath(const char16_t* path, std::string* native) {
  if (path[0] != u'/') {
    errno = ENOENT;
    return false;
  }
  *native = ToUtf8(path, LoneSurrogates::AsBytes);
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
  if (native.back() != '/') native += '/';
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

// Reads until the end, whatever size the file reported: it may grow while
// it is read, and files of /proc report none.
FileLoad ReadOpenFile(int fd, size_t expected, char** bytes, size_t* size) {
  size_t capacity = expected + 1;
  char* buffer = static_cast<char*>(PlatformAlloc(capacity));
  size_t used = 0;
  while (buffer != nullptr) {
    if (used == capacity) {
      buffer = GrowBlock(buffer, used, &capacity);
      continue;
    }
    ssize_t got = read(fd, buffer + used, capacity - used);
    if (got == 0) {
      *bytes = buffer;
      *size = used;
      return FileLoad::Loaded;
    }
    if (got < 0 && errno != EINTR) {
      int failure = errno;
      PlatformFree(buffer);
      errno = failure;
      return FileLoad::Unreadable;
    }
    if (got > 0) used += static_cast<size_t>(got);
  }
  return FileLoad::OutOfMemory;
}

FileLoad PosixReadFile(const char16_t* path, bool noFollow, char** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  std::string native;
  if (!ToNativePath(path, &native)) return FileLoad::Unreadable;
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
  if (fd < 0) return FileLoad::Unreadable;
  struct stat info;
  FileLoad result = FileLoad::Unreadable;
  if (fstat(fd, &info) != 0) {
    // errno tells why
  } else if (!S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else {
    result = ReadOpenFile(fd, static_cast<size_t>(info.st_size), bytes, size);
  }
  int failure = errno;
  close(fd);
  errno = failure;  // the reason outlives close
  return result;
}

int32_t PosixLastError() { return errno; }

}  // namespace

FileSystemApi g_fileSystem{PosixQueryAttributes, PosixEnumerateFolder, PosixLastError, PosixReadFile};
