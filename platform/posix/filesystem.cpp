// The POSIX file system, for absolute native paths. Names are bytes, decoded
// and encoded back byte-exactly (LoneSurrogates::AsBytes). Paths are
// converted on the stack, so a lookup never fails for want of storage.

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "platform/array.h"
#include "platform/filesystem.h"
#include "platform/utf8.h"

namespace {

// Closes a descriptor or folder keeping errno: the reason of a failure
// outlives the close.
template <auto Close>
struct KeepingErrno {
  void operator()(auto handle) const {
    int failure = errno;
    Close(handle);
    errno = failure;
  }
};

struct Descriptor {
  explicit Descriptor(int fd = -1) : fd(fd) {}
  Descriptor(const Descriptor&) = delete;
  ~Descriptor() { Reset(-1); }
  void Reset(int opened) {
    if (fd >= 0) KeepingErrno<close>{}(fd);
    fd = opened;
  }
  int fd;
};

// The deep folder a reader thread opened last: a folder below it is opened
// relative to it, so reading a deep tree costs one short lookup per folder.
struct LastFolder {
  Descriptor folder;
  Array<char16_t> path;
};
thread_local LastFolder t_lastFolder;

// A path as the system takes it: its bytes relative to a folder descriptor,
// through folders above it when longer than PATH_MAX. A path not starting
// with '/' names nothing: lines read from the working folder would not be
// absolute, and a Windows path (C:\x) would name a file of that odd name.
struct NativePath {
  explicit NativePath(const char16_t* path) : units(path), count(std::char_traits<char16_t>::length(path)) {
    if (path[0] != u'/') {
      errno = ENOENT;
      return;
    }
    // Below the last folder (itself too long to take whole) from there, else
    // from the root. Each step opens the longest run of whole folders that
    // fits, relative to the one before.
    size_t from = 0, last = t_lastFolder.path.size();
    if (t_lastFolder.folder.fd >= 0 && last < count && path[last] == u'/' &&
        std::char_traits<char16_t>::compare(path, t_lastFolder.path.data(), last) == 0) {
      base = t_lastFolder.folder.fd;
      from = last + 1;
    }
    for (;;) {
      size_t cut = Encode(from);
      if (cut == count) break;
      if (cut == 0) {
        errno = ENAMETOOLONG;  // one name longer than any lookup
        return;
      }
      bytes[cutBytes] = 0;
      walked.Reset(openat(base, bytes, O_PATH | O_DIRECTORY | O_CLOEXEC));
      if (walked.fd < 0) return;
      base = walked.fd;
      from = cut + 1;
    }
    found = true;
  }
  // Encodes units from `from` into bytes. Returns count when all fit; else
  // the index of the last separator after from that fits (cutBytes bytes
  // in), or 0 when none.
  size_t Encode(size_t from) {
    size_t used = 0;
    size_t cut = 0;
    char encoded[4];
    for (size_t i = from; i < count;) {
      if (units[i] == u'/' && i > from) {
        cut = i;
        cutBytes = used;
      }
      size_t written = EncodeNextUtf8(units, count, &i, LoneSurrogates::AsBytes, encoded);
      if (used + written >= sizeof bytes) return cut;
      std::memcpy(bytes + used, encoded, written);
      used += written;
    }
    bytes[used] = 0;
    return count;
  }
  // Remembers the folder this path names, opened as fd, for the next lookup.
  void RememberFolder(int fd) const {
    if (base == AT_FDCWD) return;
    t_lastFolder.path.Clear();
    bool kept = t_lastFolder.path.AppendUnits(units, count);
    t_lastFolder.folder.Reset(kept ? fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1);
  }

  const char16_t* units;
  size_t count;
  bool found = false;
  int base = AT_FDCWD;
  Descriptor walked;
  size_t cutBytes = 0;
  char bytes[PATH_MAX];
};

uint32_t PosixQueryAttributes(const char16_t* path) {
  NativePath native(path);
  struct stat info;
  if (!native.found || fstatat(native.base, native.bytes, &info, 0) != 0) return kInvalidAttributes;
  return S_ISDIR(info.st_mode) ? kAttributeDirectory : 0x80;  // FILE_ATTRIBUTE_NORMAL
}

FolderRead PosixEnumerateFolder(const char16_t* folder, FolderEntryFn onEntry, void* context) {
  NativePath native(folder);
  Descriptor opened(native.found ? openat(native.base, native.bytes, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1);
  if (opened.fd < 0) return FolderRead::Unreadable;
  native.RememberFolder(opened.fd);
  std::unique_ptr<DIR, KeepingErrno<closedir>> dir(fdopendir(opened.fd));
  if (dir == nullptr) return FolderRead::Unreadable;
  opened.fd = -1;  // dir closes it now
  for (;;) {
    // Null both at the end and on an error; errno tells them apart.
    errno = 0;
    struct dirent* entry = readdir(dir.get());
    if (entry == nullptr) return errno != 0 ? FolderRead::Failed : FolderRead::Complete;
    // Only links, and file systems that report no types, need a closer look.
    unsigned char type = entry->d_type;
    struct stat info;
    if (type == DT_UNKNOWN && fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
      type = IFTODT(info.st_mode);
    }
    bool isLink = type == DT_LNK;
    bool isFolder = isLink ? fstatat(dirfd(dir.get()), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode)
                           : type == DT_DIR;
    // On the stack, or for a name longer than any Linux file system gives, in
    // storage that can run out.
    char16_t units[1024];
    Array<char16_t> spill;
    size_t size = std::strlen(entry->d_name);
    char16_t* name = size < std::size(units) ? units : spill.Reserve(size + 1) ? spill.data() : nullptr;
    if (name == nullptr) {
      errno = ENOMEM;
      return FolderRead::Failed;
    }
    DecodeUtf8Into(entry->d_name, size, name, size + 1);
    if (!onEntry(context, FolderEntry{name, isFolder, isLink && isFolder})) return FolderRead::Complete;
  }
}

// Reads until the end, whatever size the file reported: it may grow while
// it is read, and files of /proc report none.
FileLoad PosixReadFile(const char16_t* path, bool noFollow, char** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  NativePath native(path);
  Descriptor file(native.found ? openat(native.base, native.bytes, O_RDONLY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0))
                             : -1);
  if (file.fd < 0) return FileLoad::Unreadable;
  struct stat info;
  if (fstat(file.fd, &info) != 0) return FileLoad::Unreadable;
  if (!S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return FileLoad::Unreadable;
  }
  Array<char> buffer;
  if (!buffer.Reserve(static_cast<size_t>(info.st_size) + 1)) return FileLoad::OutOfMemory;
  for (char chunk[65536];;) {
    ssize_t got = read(file.fd, chunk, sizeof chunk);
    if (got < 0 && errno != EINTR) return FileLoad::Unreadable;
    if (got == 0) break;
    if (got > 0 && !buffer.AppendUnits(chunk, static_cast<size_t>(got))) return FileLoad::OutOfMemory;
  }
  *size = buffer.size();
  *bytes = buffer.Release();
  return FileLoad::Loaded;
}

}  // namespace

FileSystemApi g_fileSystem{PosixQueryAttributes, PosixEnumerateFolder, [] { return int32_t{errno}; }, PosixReadFile};
