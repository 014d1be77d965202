#include <windows.h>

#include <memory>
#include <string>

#include "platform/array.h"
#include "platform/filesystem.h"
#include "platform/path_root.h"

namespace {

// Past this length the plain API refuses paths (MAX_PATH, less room for a
// folder's "\*" and an 8.3 name); such paths go through the \\?\ form.
constexpr size_t kPlainPathLimit = 240;
// The longest path the system takes, in units, terminator included.
constexpr size_t kLongestPath = 32768;

// The text handed to the system for a path: long absolute paths get the
// prefix \\?\ (or \\?\UNC\), which never leaves this file; relative paths
// cannot take it. On the stack, a lookup never fails for want of storage.
struct SystemPath {
  SystemPath(const char16_t* path, const char16_t* suffix) {
    size_t length = std::char_traits<char16_t>::length(path);
    size_t suffixLength = std::char_traits<char16_t>::length(suffix);
    size_t root = WindowsRootLength(path, length);
    bool isLong = length + suffixLength > kPlainPathLimit;
    bool hasLongForm = length >= 4 && path[2] == u'?' && path[3] == u'\\';
    const char16_t* prefix = !isLong ? u"" : root == 3 ? u"\\\\?\\" : root == 2 && !hasLongForm ? u"\\\\?\\UNC" : u"";
    size_t prefixLength = std::char_traits<char16_t>::length(prefix);
    size_t skip = prefixLength == 7 ? 1 : 0;  // \\server becomes \\?\UNC\server
    if (prefixLength + length - skip + suffixLength >= kLongestPath) return;
    for (size_t i = 0; i < prefixLength; ++i) text[used++] = static_cast<wchar_t>(prefix[i]);
    for (size_t i = skip; i < length; ++i) text[used++] = static_cast<wchar_t>(path[i]);
    for (size_t i = 0; i <= suffixLength; ++i) text[used++] = static_cast<wchar_t>(suffix[i]);
    fits = true;
  }
  // The text, or null (with the system's error set) when it is too long.
  const wchar_t* get() {
    if (!fits) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return fits ? text : nullptr;
  }
  bool fits = false;
  size_t used = 0;
  wchar_t text[kLongestPath];
};

// Owners of what FindFirstFileExW and CreateFileW open; both report failure
// as INVALID_HANDLE_VALUE, held as empty. The thread's error code outlives
// the close: the reason of a failure is read after it.
template <BOOL (*Close)(HANDLE)>
auto Held(HANDLE handle) {
  auto close = [](HANDLE held) {
    DWORD error = GetLastError();
    Close(held);
    SetLastError(error);
  };
  return std::unique_ptr<void, decltype(close)>(handle != INVALID_HANDLE_VALUE ? handle : nullptr);
}

uint32_t Win32QueryAttributes(const char16_t* path) {
  SystemPath text(path, u"");
  return text.get() != nullptr ? GetFileAttributesW(text.get()) : kInvalidAttributes;
}

// A folder that is a symbolic link or a junction (a name-surrogate reparse
// point). Cloud placeholders are reparse points too but hold real contents.
// A reparse point without a tag (Wine's symbolic links) counts as a link.
bool IsLinkedFolder(const WIN32_FIND_DATAW& data) {
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  return data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0);
}

FolderRead Win32EnumerateFolder(const char16_t* folder, FolderEntryFn onEntry, void* context) {
  size_t length = std::char_traits<char16_t>::length(folder);
  SystemPath pattern(folder, length > 0 && folder[length - 1] == u'\\' ? u"*" : u"\\*");
  if (pattern.get() == nullptr) return FolderRead::Unreadable;
  WIN32_FIND_DATAW data;
  // The basic information level skips the 8.3 names, and the large fetch
  // reads entries in bigger batches: the same entries, faster.
  auto find = Held<FindClose>(FindFirstFileExW(pattern.get(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
  if (find == nullptr) return FolderRead::Unreadable;
  for (;;) {
    bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    FolderEntry entry{reinterpret_cast<const char16_t*>(data.cFileName), isFolder,
                      isFolder && IsLinkedFolder(data)};
    if (!onEntry(context, entry)) return FolderRead::Complete;
    if (!FindNextFileW(find.get(), &data)) {
      return GetLastError() == ERROR_NO_MORE_FILES ? FolderRead::Complete : FolderRead::Failed;
    }
  }
}

// Without backup semantics only files open; with noFollow the reparse point
// itself opens and is refused. Reads until the end: the file may grow.
FileLoad Win32ReadFile(const char16_t* path, bool noFollow, char** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  SystemPath text(path, u"");
  if (text.get() == nullptr) return FileLoad::Unreadable;
  auto file = Held<CloseHandle>(CreateFileW(text.get(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                                            nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (file == nullptr || !GetFileInformationByHandle(file.get(), &info)) return FileLoad::Unreadable;
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FileLoad::Unreadable;
  }
  uint64_t bytesOnDisk = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  Array<char> buffer;
  if (bytesOnDisk >= SIZE_MAX || !buffer.Reserve(static_cast<size_t>(bytesOnDisk) + 1)) return FileLoad::OutOfMemory;
  for (char chunk[65536];;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return FileLoad::Unreadable;
    if (got == 0) break;
    if (!buffer.AppendUnits(chunk, got)) return FileLoad::OutOfMemory;
  }
  *size = buffer.size();
  *bytes = buffer.Release();
  return FileLoad::Loaded;
}

}  // namespace

FileSystemApi g_fileSystem{Win32QueryAttributes, Win32EnumerateFolder,
                           [] { return static_cast<int32_t>(GetLastError()); }, Win32ReadFile};
