#include "engine/git_repository.h"

#include <cstring>

#include "engine/text.h"
#include "platform/ascii.h"

namespace {

bool IsAbsolute(const char16_t* path, size_t length, PathStyle style) {
  if (style == PathStyle::Posix) return length > 0 && path[0] == kSlash;
  return (length > 0 && (path[0] == kSlash || path[0] == kBackslash)) || (length > 1 && path[1] == u':');
}

// Where walking up stops: a root, a network path's share, a relative path's end.
size_t LeastLength(const char16_t* path, size_t length, PathStyle style) {
  int32_t root = RootComponentLength(path, static_cast<int32_t>(length), style);
  if (!IsNetworkPath(path, static_cast<int32_t>(length), style)) return root > 0 ? static_cast<size_t>(root) : length;
  size_t at = 2;
  while (at < length && path[at] != kBackslash) ++at;
  for (++at; at < length && path[at] != kBackslash;) ++at;
  return at < length ? at : length;
}

// Resolves a Windows path's "." and ".." in place, lexically, never above its
// root, as Windows would without the \\?\ prefix of long paths; POSIX
// resolves them itself, through links, as git does. Returns the new length.
size_t ResolveDots(char16_t* path, size_t length, PathStyle style) {
  size_t root = LeastLength(path, length, style);
  if (style != PathStyle::Windows || root >= length) return length;
  size_t write = root;
  for (size_t at = root, end = root; at < length; at = end + 1) {
    for (end = at; end < length && path[end] != kBackslash;) ++end;
    bool up = end - at == 2 && path[at] == u'.' && path[at + 1] == u'.';
    if (up) {
      while (write > root && path[write - 1] != kBackslash) --write;
      if (write > root) --write;
    } else if (end > at && !(end - at == 1 && path[at] == u'.')) {
      if (write > 0 && path[write - 1] != kBackslash) path[write++] = kBackslash;
      std::memmove(path + write, path + at, (end - at) * sizeof(char16_t));
      write += end - at;
    }
  }
  return write;
}

// The path that a .git file ("gitdir: PATH") or commondir file names,
// relative to folder; null without one, and with *failed when out of storage.
Text NamedPath(const char16_t* file, const char* prefix, const char16_t* folder, PathStyle style, bool* failed) {
  OwnedBlock<char> owned;
  size_t size = 0;
  FileLoad load = ReadFileBytes(file, false, &owned, &size);
  const char* bytes = owned.get();
  *failed = *failed || load == FileLoad::OutOfMemory;
  size_t skip = std::strlen(prefix);
  if (load != FileLoad::Loaded || size < skip || std::memcmp(bytes, prefix, skip) != 0) return Text();
  while (size > skip && (bytes[size - 1] == '\n' || bytes[size - 1] == '\r' || bytes[size - 1] == ' ')) --size;
  size_t length = 0;
  char16_t* units = DecodeUtf8(bytes + skip, size - skip, &length);
  Text text = Text::Adopt(units, length);
  Text path = text ? JoinPath(folder, TextLength(folder), text.get(), length, style, true) : Text();
  *failed = *failed || !path;
  return path;
}

}  // namespace

Text JoinPath(const char16_t* folder, size_t length, const char16_t* tail, size_t tailLength, PathStyle style,
              bool resolveDots) {
  const char16_t separator = SeparatorOf(style);
  if (IsAbsolute(tail, tailLength, style)) length = 0;
  size_t gap = length > 0 && folder[length - 1] != separator ? 1 : 0;
  if (length > SIZE_MAX / 4 || tailLength > SIZE_MAX / 4) return Text();
  OwnedBlock<char16_t> path = MakeBlock<char16_t>(length + gap + tailLength + 1);
  if (path == nullptr) return Text();
  if (length > 0) std::memcpy(path.get(), folder, length * sizeof(char16_t));
  if (gap != 0) path[length] = separator;
  for (size_t i = 0; i < tailLength; ++i) path[length + gap + i] = tail[i] == kSlash ? separator : tail[i];
  size_t joined = length + gap + tailLength;
  if (resolveDots) joined = ResolveDots(path.get(), joined, style);
  path[joined] = 0;
  return Text::Adopt(path.release(), joined);
}

Text JoinPath(const char16_t* folder, const char16_t* tail, PathStyle style) {
  return JoinPath(folder, TextLength(folder), tail, TextLength(tail), style);
}

FileLoad ReadFileBytes(const char16_t* path, bool noFollow, OwnedBlock<char>* bytes, size_t* size) {
  char* read = nullptr;
  FileLoad load = g_fileSystem.readFile(path, noFollow, &read, size);
  bytes->reset(read);
  return load;
}

bool IsGitName(const char16_t* name, size_t length, PathStyle style) {
  return SpellsWord(name, length, ".git", style == PathStyle::Windows);
}

bool FindWorkingTree(const char16_t* folder, size_t length, PathStyle style, size_t* rootLength, bool* failed) {
  const char16_t separator = SeparatorOf(style);
  size_t least = LeastLength(folder, length, style);
  for (size_t at = length;;) {
    size_t nameStart = at;
    while (nameStart > 0 && folder[nameStart - 1] != separator) --nameStart;
    if (at > least && IsGitName(folder + nameStart, at - nameStart, style)) return false;
    Text probe = JoinPath(folder, at, u".git", 4, style);
    *failed = *failed || !probe;
    if (!probe) return false;
    if (g_fileSystem.queryAttributes(probe.get()) != kInvalidAttributes) {
      *rootLength = at;
      return true;
    }
    if (at <= least) return false;
    at = nameStart > least ? nameStart - 1 : least;
  }
}

// .git is the repository's folder or names it; a worktree's names in
// "commondir" the folder it shares with the main tree, where info/ is.
bool ReadInfoExclude(const char16_t* root, PathStyle style, OwnedBlock<char>* bytes, size_t* size) {
  bool failed = false;
  Text gitDir = JoinPath(root, u".git", style);
  if (!gitDir) return false;
  uint32_t attributes = g_fileSystem.queryAttributes(gitDir.get());
  if (attributes != kInvalidAttributes && (attributes & kAttributeDirectory) == 0) {
    gitDir = NamedPath(gitDir.get(), "gitdir: ", root, style, &failed);
  }
  if (!gitDir) return !failed;
  Text commonFile = JoinPath(gitDir.get(), u"commondir", style);
  Text common = commonFile ? NamedPath(commonFile.get(), "", gitDir.get(), style, &failed) : Text();
  Text exclude = commonFile ? JoinPath(common ? common.get() : gitDir.get(), u"info/exclude", style) : Text();
  if (failed || !exclude) return false;
  return ReadFileBytes(exclude.get(), false, bytes, size) != FileLoad::OutOfMemory;
}
