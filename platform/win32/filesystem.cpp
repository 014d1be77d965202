#include <windows.h>

#include <string>

#include "platform/filesystem.h"
#include "platform/memory.h"

namespace {

// Past this length the plain API refuses paths (MAX_PATH, less room for a
// folder's "\*" and an 8.3 name); such paths go through the \\?\ form.
constexpr size_t kPlainPathLimit = 240;

// The text handed to the system for a path of the program's own form: long
// absolute paths get the \\?\ (or \\?\UNC\) prefix, which never leaves this
// file. Relative paths cannot take the prefix and are passed as they are.
bool SystemPath(const char16_t* path, const wchar_t* suffix, std::wstring* out) {
  try {
    std::wstring text(reinterpret_cast<const wchar_t*>(path));
    text += suffix;
    bool isDrivePath = text.size() >= 3 && text[1] == L':' && text[2] == L'\\';
    bool isNetworkPath = text.size() >= 2 && text[0] == L'\\' && text[1] == L'\\' &&
                         text.compare(0, 4, L"\\\\?\\") != 0;
    if (text.size() > kPlainPathLimit && isDrivePath) {
      text.insert(0, L"\\\\?\\");
    } else if (text.size() > kPlainPathLimit && isNetworkPath) {
      text.replace(0, 2, L"\\\\?\\UNC\\");
    }
    out->swap(text);
    return true;
  } catch (...) {
    return false;
  }
}

uint32_t Win32QueryAttributes(const char16_t* path) {
  std::wstring text;
  if (!SystemPath(path, L"", &text)) return kInvalidAttributes;
  return GetFileAttributesW(text.c_str());
}

// A folder that is a symbolic link or a junction (a name-surrogate reparse
// point). Cloud placeholders are reparse points too but hold real contents.
// A reparse point without a tag (Wine's symbolic links) counts as a link.
bool IsLinkedFolder(const WIN32_FIND_DATAW& data) {
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  return data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0);
}

FolderRead Win32EnumerateFolder(const char16_t* folder, FolderEntryFn onEntry, void* context) {
  size_t length = 0;
  while (folder[length] != 0) ++length;
  bool endsInBackslash = length > 0 && folder[length - 1] == u'\\';
  std::wstring pattern;
  if (!SystemPath(folder, endsInBackslash ? L"*" : L"\\*", &pattern)) return FolderRead::Unreadable;
  WIN32_FIND_DATAW data;
  // The basic information level skips the 8.3 names, and the large fetch
  // reads entries in bigger batches: the same entries, faster.
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return FolderRead::Unreadable;
  FolderRead result = FolderRead::Complete;
  DWORD failure = 0;
  for (;;) {
    bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    FolderEntry entry{reinterpret_cast<const char16_t*>(data.cFileName), isFolder,
                      isFolder && IsLinkedFolder(data)};
    if (!onEntry(context, entry)) break;
    if (!FindNextFileW(find, &data)) {
      failure = GetLastError();
      if (failure != ERROR_NO_MORE_FILES) result = FolderRead::Failed;
      break;
    }
  }
  FindClose(find);
  if (result == FolderRead::Failed) SetLastError(failure);  // the reason outlives FindClose
  return result;
}

// Reads until the end, whatever size the file reported: it may grow while
// it is read.
FileLoad ReadOpenFile(HANDLE file, size_t expected, char** bytes, size_t* size) {
  size_t capacity = expected + 1;
  char* buffer = static_cast<char*>(PlatformAlloc(capacity));
  size_t used = 0;
  while (buffer != nullptr) {
    if (used == capacity) {
      buffer = GrowBlock(buffer, used, &capacity);
      continue;
    }
    size_t room = capacity - used;
    DWORD got = 0;
    if (!ReadFile(file, buffer + used, room > 0x40000000u ? 0x40000000u : static_cast<DWORD>(room), &got, nullptr)) {
      DWORD failure = GetLastError();
      PlatformFree(buffer);
      SetLastError(failure);
      return FileLoad::Unreadable;
    }
    if (got == 0) {
      *bytes = buffer;
      *size = used;
      return FileLoad::Loaded;
    }
    used += got;
  }
  return FileLoad::OutOfMemory;
}

// A folder cannot be opened without backup semantics, so only files open;
// with noFollow the reparse point itself is opened and refused.
FileLoad Win32ReadFile(const char16_t* path, bool noFollow, char** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  std::wstring text;
  if (!SystemPath(path, L"", &text)) return FileLoad::OutOfMemory;
  HANDLE file = CreateFileW(text.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileLoad::Unreadable;
  BY_HANDLE_FILE_INFORMATION info;
  FileLoad result = FileLoad::Unreadable;
  if (!GetFileInformationByHandle(file, &info)) {
    // GetLastError tells why
  } else if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
  } else {
    uint64_t bytesOnDisk = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    result = bytesOnDisk < SIZE_MAX ? ReadOpenFile(file, static_cast<size_t>(bytesOnDisk), bytes, size)
                                    : FileLoad::OutOfMemory;
  }
  DWORD failure = GetLastError();
  CloseHandle(file);
  SetLastError(failure);  // the reason outlives CloseHandle
  return result;
}

int32_t Win32LastError() { return static_cast<int32_t>(GetLastError()); }

}  // namespace

FileSystemApi g_fileSystem{Win32QueryAttributes, Win32EnumerateFolder, Win32LastError, Win32ReadFile};
