#pragma once
// File-system operations of the listing engine. Paths are full paths of any
// length in the build's own form: on Windows drive letters or \\server\share
// with backslashes; on POSIX native paths beginning with '/' (anything else
// names nothing).

#include <cstddef>
#include <cstdint>

constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;
constexpr uint32_t kAttributeDirectory = 0x10;

// One entry of a folder. "." and ".." come too where the system reports them.
struct FolderEntry {
  const char16_t* name;  // NUL-terminated, valid during the callback only
  bool isFolder;         // the directory bit is set
  bool isLink;           // a symbolic link or junction: never descended into
};

// Receives each entry; returns false to end the enumeration early.
using FolderEntryFn = bool (*)(void* context, const FolderEntry& entry);

// A read error partway is not the end of the folder: the entries reported
// until then are all there is.
enum class FolderRead {
  Complete,    // every entry reported, or onEntry ended it early
  Unreadable,  // the folder could not be opened; no entries
  Failed,      // an error after some entries
};

enum class FileLoad {
  Loaded,
  Unreadable,   // missing, not a plain file, a link where links are not
                // followed, or the read failed: lastError() tells why
  OutOfMemory,
};

struct FileSystemApi {
  // kInvalidAttributes when they cannot be read.
  uint32_t (*queryAttributes)(const char16_t* path);
  FolderRead (*enumerateFolder)(const char16_t* folder, FolderEntryFn onEntry, void* context);
  // The calling thread's error code of the system call that failed last.
  int32_t (*lastError)();
  // Reads a whole file into *bytes (PlatformAlloc'd, *size bytes; null unless
  // Loaded). With noFollow a link as the last component is Unreadable.
  FileLoad (*readFile)(const char16_t* path, bool noFollow, char** bytes, size_t* size);
};

// The build's implementation; tests may replace single members.
extern FileSystemApi g_fileSystem;
