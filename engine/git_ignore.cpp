#include "engine/git_ignore.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "engine/text.h"
#include "platform/environment.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/utf8.h"

namespace {

// The UTF-8 form of text (length units) in out, which has room for three
// bytes a unit, with the separator written as '/'; returns the bytes
// written. A POSIX name's escaped bytes are those bytes again, as git sees
// the name.
size_t EncodePath(const char16_t* text, size_t length, char16_t separator, PathStyle style, char* out) {
  LoneSurrogates mode = style == PathStyle::Posix ? LoneSurrogates::AsBytes : LoneSurrogates::Replaced;
  size_t written = 0;
  for (size_t i = 0; i < length;) {
    char16_t unit = text[i];
    if (unit < 0x80) {
      out[written++] = unit == separator ? '/' : static_cast<char>(unit);
      ++i;
    } else {
      written += EncodeNextUtf8(text, length, &i, mode, out + written);
    }
  }
  return written;
}

bool IsAbsolute(const char16_t* path, size_t length, PathStyle style) {
  if (style == PathStyle::Posix) return length > 0 && path[0] == kSlash;
  return (length > 0 && (path[0] == kSlash || path[0] == kBackslash)) || (length > 1 && path[1] == u':');
}

// The folder, a separator unless it ends in one, then tail, whose '/' become
// the style's separator; a tail that is absolute stands alone.
// PlatformAlloc'd; null when storage runs out.
char16_t* JoinPath(const char16_t* folder, size_t length, const char16_t* tail, size_t tailLength, PathStyle style) {
  const char16_t separator = SeparatorOf(style);
  if (IsAbsolute(tail, tailLength, style)) length = 0;
  size_t gap = length > 0 && folder[length - 1] != separator ? 1 : 0;
  if (length > SIZE_MAX / 4 || tailLength > SIZE_MAX / 4) return nullptr;
  auto* path = static_cast<char16_t*>(PlatformAllocArray(length + gap + tailLength + 1, sizeof(char16_t)));
  if (path == nullptr) return nullptr;
  if (length > 0) std::memcpy(path, folder, length * sizeof(char16_t));
  if (gap != 0) path[length] = separator;
  for (size_t i = 0; i < tailLength; ++i) path[length + gap + i] = tail[i] == kSlash ? separator : tail[i];
  path[length + gap + tailLength] = 0;
  return path;
}

char16_t* JoinPath(const char16_t* folder, const char16_t* tail, PathStyle style) {
  return JoinPath(folder, TextLength(folder), tail, TextLength(tail), style);
}

// Drops the spaces at the end of a line that no '\' quotes.
size_t TrimTrailingSpaces(const char* line, size_t length) {
  size_t firstTrailing = length;
  for (size_t i = 0; i < length; ++i) {
    if (line[i] != ' ') {
      firstTrailing = length;
      if (line[i] == '\\') ++i;
    } else if (firstTrailing == length) {
      firstTrailing = i;
    }
  }
  return firstTrailing;
}

// One line of a file as a pattern; false for blank lines and comments.
bool ParsePattern(const char* line, size_t length, uint32_t flags, IgnorePattern* out) {
  if (length == 0 || line[0] == '#') return false;
  length = TrimTrailingSpaces(line, length);
  if (length == 0) return false;
  IgnorePattern pattern{};
  if (line[0] == '!') {
    pattern.negated = true;
    ++line, --length;
  }
  if (length > 0 && line[length - 1] == '/') {
    pattern.folderOnly = true;
    --length;
  }
  pattern.nameOnly = length == 0 || std::memchr(line, '/', length) == nullptr;
  if (!pattern.nameOnly && line[0] == '/') ++line, --length;
  pattern.start = line;
  while (!pattern.nameOnly && pattern.startLength < length && std::strchr("*?[\\", line[pattern.startLength]) == nullptr) {
    pattern.startLength += 1;
  }
  pattern.glob = MakeGlob(line + pattern.startLength, length - pattern.startLength, flags);
  *out = pattern;
  return true;
}

size_t CountLines(const char* bytes, size_t size) {
  size_t lines = 1;
  for (const char* at = bytes; at != nullptr && size > 0;) {
    const void* end = std::memchr(at, '\n', size - static_cast<size_t>(at - bytes));
    at = end != nullptr ? static_cast<const char*>(end) + 1 : nullptr;
    lines += end != nullptr ? 1 : 0;
  }
  return lines;
}

// Each line of a file: a LF ends it, and a CR before the LF goes with it
// (a last line without LF keeps its CR, as git reads it); a byte order mark
// at the start is skipped.
template <class OnLine>
void ForEachLine(const char* bytes, size_t size, OnLine onLine) {
  size_t i = size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  while (i < size) {
    const void* found = std::memchr(bytes + i, '\n', size - i);
    size_t end = found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - bytes) : size;
    size_t stop = found != nullptr && end > i && bytes[end - 1] == '\r' ? end - 1 : end;
    onLine(bytes + i, stop - i);
    i = end + 1;
  }
}

// Notes the last byte of the pattern's matches: its glob's last character,
// or for a plain path the last of its start; in both cases where letters
// fold.
void NoteLastByte(IgnoreRules* rules, const IgnorePattern& pattern) {
  const Glob<char>& glob = pattern.glob;
  bool plainPath = glob.length == 0 && pattern.startLength > 0;
  auto last = static_cast<unsigned char>(plainPath ? pattern.start[pattern.startLength - 1] : glob.last);
  if (last == 0) {
    rules->anyLast = true;
    return;
  }
  bool folds = (glob.flags & kGlobFoldCase) != 0 && (last | 0x20) >= 'a' && (last | 0x20) <= 'z';
  for (unsigned char byte : {last, static_cast<unsigned char>(folds ? last ^ 0x20 : last)}) {
    rules->lastBytes[byte / 64] |= uint64_t{1} << (byte % 64);
  }
}

// The rules of the files' bytes over parent (held once more): first the
// shared bytes (the session's, which outlive the rules), then own (freed
// with the rules, or here when there is nothing to keep). A file without
// patterns below the top gives parent itself. Null with *failed set when
// storage runs out.
IgnoreRules* MakeRules(IgnoreRules* parent, size_t rootStart, size_t base, PathStyle style, char* own,
                       size_t ownSize, const char* shared, size_t sharedSize, bool* failed) {
  size_t lines = (own != nullptr ? CountLines(own, ownSize) : 0) +
                 (shared != nullptr ? CountLines(shared, sharedSize) : 0);
  void* block = PlatformAlloc(sizeof(IgnoreRules));
  auto* patterns = static_cast<IgnorePattern*>(PlatformAllocArray(lines, sizeof(IgnorePattern)));
  if (block == nullptr || patterns == nullptr) {
    PlatformFree(block);
    PlatformFree(patterns);
    PlatformFree(own);
    *failed = true;
    return nullptr;
  }
  auto* rules = new (block) IgnoreRules{{1}, parent, rootStart, base, patterns, 0, own, {0, 0, 0, 0}, false};
  uint32_t flags = kGlobEscapes | (style == PathStyle::Windows ? kGlobFoldCase : 0u);
  auto add = [&](const char* line, size_t length) {
    if (ParsePattern(line, length, flags, &patterns[rules->count])) rules->count += 1;
  };
  if (shared != nullptr) ForEachLine(shared, sharedSize, add);
  if (own != nullptr) ForEachLine(own, ownSize, add);
  for (int32_t k = 0; k < rules->count; ++k) NoteLastByte(rules, patterns[k]);
  HoldRules(parent);
  if (rules->count == 0 && parent != nullptr) {
    HoldRules(parent);
    ReleaseRules(rules);
    return parent;
  }
  return rules;
}

// Whether the path below the rules' folder (length bytes) matches a pattern
// with a '/'.
bool PathMatches(const IgnorePattern& pattern, const char* path, size_t length) {
  if (length < pattern.startLength) return false;
  bool folds = (pattern.glob.flags & kGlobFoldCase) != 0;
  for (size_t i = 0; i < pattern.startLength; ++i) {
    char a = pattern.start[i], b = path[i];
    if (a != b && !(folds && (a | 0x20) == (b | 0x20) && (a | 0x20) >= 'a' && (a | 0x20) <= 'z')) return false;
  }
  return GlobMatches(pattern.glob, path + pattern.startLength, length - pattern.startLength);
}

bool IgnoredAt(const IgnoreRules* rules, const char* path, size_t nameStart, size_t end, bool isFolder) {
  for (const IgnoreRules* set = rules; set != nullptr; set = set->parent) {
    for (int32_t k = set->count - 1; k >= 0; --k) {
      const IgnorePattern& pattern = set->patterns[k];
      if (pattern.folderOnly && !isFolder) continue;
      bool hit = pattern.nameOnly ? GlobMatches(pattern.glob, path + nameStart, end - nameStart)
                                  : set->base <= nameStart && PathMatches(pattern, path + set->base, end - set->base);
      if (hit) return !pattern.negated;
    }
  }
  return false;
}

// Where walking up must stop: a drive's or POSIX root, or a network path's
// share; a relative path is not walked up at all.
size_t LeastLength(const char16_t* path, size_t length, PathStyle style) {
  int32_t root = RootComponentLength(path, static_cast<int32_t>(length), style);
  if (!IsNetworkPath(path, static_cast<int32_t>(length), style)) return root > 0 ? static_cast<size_t>(root) : length;
  size_t at = 2;
  while (at < length && path[at] != kBackslash) ++at;
  for (++at; at < length && path[at] != kBackslash;) ++at;
  return at < length ? at : length;
}

// Walks up from the folder to the first folder holding .git. False when
// there is none, and when the walk meets a folder named .git (the inside of
// a repository is no working tree).
bool FindWorkingTree(const char16_t* folder, size_t length, PathStyle style, size_t* rootLength, bool* failed) {
  const char16_t separator = SeparatorOf(style);
  size_t least = LeastLength(folder, length, style);
  auto* probe = length < SIZE_MAX / 4 ? static_cast<char16_t*>(PlatformAllocArray(length + 6, sizeof(char16_t))) : nullptr;
  if (probe == nullptr) {
    *failed = true;
    return false;
  }
  bool found = false;
  for (size_t at = length;;) {
    size_t nameStart = at;
    while (nameStart > 0 && folder[nameStart - 1] != separator) --nameStart;
    if (at > least && IsGitName(folder + nameStart, at - nameStart, style)) break;
    std::memcpy(probe, folder, at * sizeof(char16_t));
    size_t n = at;
    if (n == 0 || probe[n - 1] != separator) probe[n++] = separator;
    std::memcpy(probe + n, u".git", 5 * sizeof(char16_t));
    if (g_fileSystem.queryAttributes(probe) != kInvalidAttributes) {
      found = true;
      *rootLength = at;
      break;
    }
    if (at <= least) break;
    at = nameStart > least ? nameStart - 1 : least;
  }
  PlatformFree(probe);
  return found;
}

// The path a small file of a repository names ("gitdir: PATH" in a .git
// file, the commondir file's PATH), relative to folder. Null when there is
// no such file; null with *failed set when storage runs out.
char16_t* NamedPath(const char16_t* file, const char* prefix, const char16_t* folder, PathStyle style, bool* failed) {
  char* bytes = nullptr;
  size_t size = 0;
  FileLoad load = g_fileSystem.readFile(file, false, &bytes, &size);
  *failed = *failed || load == FileLoad::OutOfMemory;
  size_t skip = std::strlen(prefix);
  char16_t* path = nullptr;
  if (load == FileLoad::Loaded && size >= skip && std::memcmp(bytes, prefix, skip) == 0) {
    while (size > skip && (bytes[size - 1] == '\n' || bytes[size - 1] == '\r' || bytes[size - 1] == ' ')) --size;
    size_t length = 0;
    char16_t* text = DecodeUtf8(bytes + skip, size - skip, &length);
    path = text != nullptr ? JoinPath(folder, TextLength(folder), text, length, style) : nullptr;
    *failed = *failed || path == nullptr;
    PlatformFree(text);
  }
  PlatformFree(bytes);
  return path;
}

// $GIT_DIR/info/exclude of the working tree at root: .git is the
// repository's folder, or a file naming it, as a worktree's or a
// submodule's does; a worktree's repository folder names in "commondir"
// the folder it shares with the main working tree, where info/ is. False
// when storage runs out.
bool ReadInfoExclude(const char16_t* root, PathStyle style, char** bytes, size_t* size) {
  bool failed = false;
  char16_t* gitDir = JoinPath(root, u".git", style);
  if (gitDir == nullptr) return false;
  uint32_t attributes = g_fileSystem.queryAttributes(gitDir);
  if (attributes != kInvalidAttributes && (attributes & kAttributeDirectory) == 0) {
    char16_t* named = NamedPath(gitDir, "gitdir: ", root, style, &failed);
    PlatformFree(gitDir);
    gitDir = named;
  }
  char16_t* commonFile = gitDir != nullptr ? JoinPath(gitDir, u"commondir", style) : nullptr;
  char16_t* common = commonFile != nullptr ? NamedPath(commonFile, "", gitDir, style, &failed) : nullptr;
  char16_t* exclude = gitDir != nullptr ? JoinPath(common != nullptr ? common : gitDir, u"info/exclude", style) : nullptr;
  failed = failed || (gitDir != nullptr && (commonFile == nullptr || exclude == nullptr));
  if (!failed && exclude != nullptr && g_fileSystem.readFile(exclude, false, bytes, size) == FileLoad::OutOfMemory) {
    failed = true;
  }
  PlatformFree(gitDir);
  PlatformFree(commonFile);
  PlatformFree(common);
  PlatformFree(exclude);
  return !failed;
}

bool SameWordFolded(const char* text, size_t length, const char* word) {
  size_t i = 0;
  for (; i < length && word[i] != 0; ++i) {
    char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    if (c != word[i]) return false;
  }
  return i == length && word[i] == 0;
}

// The last value of core.excludesFile in a git config file, unquoted and
// unescaped in place; false when it sets none. A simple reader: [section]
// headers (one with a subsection is another section), "key = value" lines
// (also after a header), '#' and ';' comments, double quotes and backslash
// escapes in values.
bool ExcludesFileSetting(char* bytes, size_t size, size_t* start, size_t* length) {
  bool inCore = false;
  bool found = false;
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  for (size_t i = 0; i < size;) {
    size_t end = i;
    while (end < size && bytes[end] != '\n') ++end;
    size_t at = i;
    while (at < end && isSpace(bytes[at])) ++at;
    if (at < end && bytes[at] == '[') {
      size_t close = at + 1;
      while (close < end && bytes[close] != ']') ++close;
      size_t nameStart = at + 1, nameEnd = close;
      while (nameStart < nameEnd && isSpace(bytes[nameStart])) ++nameStart;
      while (nameEnd > nameStart && isSpace(bytes[nameEnd - 1])) --nameEnd;
      inCore = SameWordFolded(bytes + nameStart, nameEnd - nameStart, "core");
      at = close < end ? close + 1 : end;
      while (at < end && isSpace(bytes[at])) ++at;
    }
    size_t key = at;
    auto isKeyByte = [](char c) { return c == '-' || (c >= '0' && c <= '9') || ((c | 32) >= 'a' && (c | 32) <= 'z'); };
    while (at < end && isKeyByte(bytes[at])) ++at;
    bool wanted = inCore && SameWordFolded(bytes + key, at - key, "excludesfile");
    while (at < end && isSpace(bytes[at])) ++at;
    if (wanted && at < end && bytes[at] == '=') {
      ++at;
      while (at < end && isSpace(bytes[at])) ++at;
      size_t write = at, kept = at;
      bool quoted = false;
      for (size_t read = at; read < end; ++read) {
        char c = bytes[read];
        if (!quoted && (c == '#' || c == ';')) break;
        if (c == '"') {
          quoted = !quoted;
          continue;
        }
        if (c == '\\' && read + 1 < end) {
          c = bytes[++read];
          c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'b' ? '\b' : c;
          bytes[write++] = c;
          kept = write;
          continue;
        }
        bytes[write++] = c;
        if (quoted || !isSpace(c)) kept = write;
      }
      *start = at;
      *length = kept - at;
      found = true;
    }
    i = end + 1;
  }
  return found;
}

// Takes core.excludesFile from a config file, if it sets it, into *file
// ("~/" is the home folder). False when storage runs out.
bool ReadExcludesSetting(const char16_t* config, const char16_t* home, PathStyle style, char16_t** file) {
  char* bytes = nullptr;
  size_t size = 0;
  FileLoad load = g_fileSystem.readFile(config, false, &bytes, &size);
  size_t start = 0, length = 0;
  bool ok = load != FileLoad::OutOfMemory;
  if (load == FileLoad::Loaded && ExcludesFileSetting(bytes, size, &start, &length)) {
    size_t units = 0;
    char16_t* value = DecodeUtf8(bytes + start, length, &units);
    bool fromHome = value != nullptr && home != nullptr && units >= 2 && value[0] == u'~' && value[1] == u'/';
    char16_t* path = value == nullptr ? nullptr
                     : fromHome       ? JoinPath(home, TextLength(home), value + 2, units - 2, style)
                                      : JoinPath(u"", 0, value, units, style);
    ok = path != nullptr;
    if (ok) {
      PlatformFree(*file);
      *file = path;
    }
    PlatformFree(value);
  }
  PlatformFree(bytes);
  return ok;
}

// The user's excludes file: core.excludesFile as the user's config files
// set it ($XDG_CONFIG_HOME/git/config or ~/.config/git/config, then
// ~/.gitconfig, the last value winning), else $XDG_CONFIG_HOME/git/ignore,
// else ~/.config/git/ignore. The home folder is $HOME, on Windows
// %USERPROFILE% where HOME is not set. False when storage runs out.
bool ReadUserExcludes(IgnoreSession* session, PathStyle style) {
  bool failed = false;
  char16_t* home = g_environment.variable(u"HOME", &failed);
  if (home == nullptr && !failed && style == PathStyle::Windows) home = g_environment.variable(u"USERPROFILE", &failed);
  char16_t* xdg = failed ? nullptr : g_environment.variable(u"XDG_CONFIG_HOME", &failed);
  const char16_t* configBase = xdg != nullptr ? xdg : home;
  const char16_t* configTail = xdg != nullptr ? u"git/config" : u".config/git/config";
  char16_t* configs[2] = {configBase != nullptr ? JoinPath(configBase, configTail, style) : nullptr,
                          home != nullptr ? JoinPath(home, u".gitconfig", style) : nullptr};
  failed = failed || (configBase != nullptr && configs[0] == nullptr) || (home != nullptr && configs[1] == nullptr);
  char16_t* file = nullptr;
  for (char16_t* config : configs) {
    if (!failed && config != nullptr && !ReadExcludesSetting(config, home, style, &file)) failed = true;
  }
  if (!failed && file == nullptr && configBase != nullptr) {
    file = JoinPath(configBase, xdg != nullptr ? u"git/ignore" : u".config/git/ignore", style);
    failed = file == nullptr;
  }
  if (!failed && file != nullptr &&
      g_fileSystem.readFile(file, false, &session->userBytes, &session->userSize) == FileLoad::OutOfMemory) {
    failed = true;
  }
  for (char16_t* text : {home, xdg, configs[0], configs[1], file}) PlatformFree(text);
  return !failed;
}

// The rules at the top of the working tree at folder[0..rootLength): the
// user's excludes file and info/exclude, the latter winning. The last
// tree's are kept for the next input folder. Held for the caller.
IgnoreRules* TopRules(IgnoreSession* session, const char16_t* folder, size_t rootLength, size_t rootStart,
                      PathStyle style, bool* failed) {
  if (session->lastTop != nullptr && session->lastRootLength == rootLength &&
      std::memcmp(session->lastRoot, folder, rootLength * sizeof(char16_t)) == 0) {
    HoldRules(session->lastTop);
    return session->lastTop;
  }
  if (!session->userRead) {
    session->userRead = true;
    if (!ReadUserExcludes(session, style)) {
      *failed = true;
      return nullptr;
    }
  }
  char16_t* root = CopyText(folder, rootLength);
  char* info = nullptr;
  size_t infoSize = 0;
  if (root == nullptr || !ReadInfoExclude(root, style, &info, &infoSize)) {
    PlatformFree(root);
    *failed = true;
    return nullptr;
  }
  IgnoreRules* top =
      MakeRules(nullptr, rootStart, 0, style, info, infoSize, session->userBytes, session->userSize, failed);
  if (top == nullptr) {
    PlatformFree(root);
    return nullptr;
  }
  ReleaseRules(session->lastTop);
  PlatformFree(session->lastRoot);
  session->lastRoot = root;
  session->lastRootLength = rootLength;
  session->lastTop = top;
  HoldRules(top);
  return top;
}

// The name is the word (small ASCII letters), in either case on Windows.
bool NameIs(const char16_t* name, size_t length, const char16_t* word, PathStyle style) {
  size_t i = 0;
  for (; i < length && word[i] != 0; ++i) {
    char16_t unit = style == PathStyle::Windows && name[i] >= u'A' && name[i] <= u'Z' ? name[i] + 32 : name[i];
    if (unit != word[i]) return false;
  }
  return i == length && word[i] == 0;
}

}  // namespace

void HoldRules(IgnoreRules* rules) {
  if (rules != nullptr) rules->holders.fetch_add(1, std::memory_order_relaxed);
}

// A loop, not recursion: a chain is as long as the tree is deep.
void ReleaseRules(IgnoreRules* rules) {
  while (rules != nullptr && rules->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    IgnoreRules* parent = rules->parent;
    PlatformFree(rules->patterns);
    PlatformFree(rules->bytes);
    rules->~IgnoreRules();
    PlatformFree(rules);
    rules = parent;
  }
}

bool StartIgnorePath(IgnorePath* path, const IgnoreRules* rules, const char16_t* folder, size_t length,
                     size_t longestName, PathStyle style) {
  size_t start = rules->rootStart < length ? rules->rootStart : length;
  size_t units = length - start;
  *path = IgnorePath{nullptr, 0, 0, style};
  if (units > SIZE_MAX / 8 || longestName > SIZE_MAX / 8) return false;
  size_t capacity = 3 * units + 3 * longestName + 2;
  path->bytes = static_cast<char*>(PlatformAlloc(capacity));
  if (path->bytes == nullptr) return false;
  path->capacity = capacity;
  path->folderLength = EncodePath(folder + start, units, SeparatorOf(style), style, path->bytes);
  if (path->folderLength > 0) path->bytes[path->folderLength++] = '/';
  return true;
}

void FreeIgnorePath(IgnorePath* path) {
  PlatformFree(path->bytes);
  *path = IgnorePath{nullptr, 0, 0, path->style};
}

IgnoreRules* LoadFolderRules(IgnoreRules* parent, const char16_t* folder, size_t length, size_t base,
                             PathStyle style, bool* failed) {
  char16_t* file = JoinPath(folder, length, u".gitignore", 10, style);
  char* bytes = nullptr;
  size_t size = 0;
  FileLoad load = file != nullptr ? g_fileSystem.readFile(file, true, &bytes, &size) : FileLoad::OutOfMemory;
  PlatformFree(file);
  if (load == FileLoad::OutOfMemory) {
    *failed = true;
    return nullptr;
  }
  if (load == FileLoad::Unreadable) {
    HoldRules(parent);
    return parent;
  }
  return MakeRules(parent, parent->rootStart, base, style, bytes, size, nullptr, 0, failed);
}

// A name whose last unit is ASCII is its last byte too: when no file's
// patterns can end with it, the name is not even encoded.
bool IsIgnored(const IgnoreRules* rules, IgnorePath* path, const char16_t* name, size_t length, bool isFolder) {
  char16_t last = length > 0 ? name[length - 1] : 0;
  bool possible = last >= 0x80;
  for (const IgnoreRules* set = rules; set != nullptr && !possible; set = set->parent) {
    possible = set->anyLast || (set->lastBytes[last / 64] >> (last % 64) & 1) != 0;
  }
  if (!possible) return false;
  size_t nameStart = path->folderLength;
  size_t end = nameStart + EncodePath(name, length, kSlash, path->style, path->bytes + nameStart);
  return IgnoredAt(rules, path->bytes, nameStart, end, isFolder);
}

bool IsGitName(const char16_t* name, size_t length, PathStyle style) { return NameIs(name, length, u".git", style); }

bool IsIgnoreFileName(const char16_t* name, size_t length, PathStyle style) {
  return NameIs(name, length, u".gitignore", style);
}

// The rules of the tree's top, then every .gitignore from the root down to
// the folder's parent, each folder on the way checked against them.
IgnoreRules* InputFolderRules(IgnoreSession* session, const char16_t* folder, size_t length, PathStyle style,
                              bool* ignored, bool* failed) {
  *ignored = false;
  size_t rootLength = 0;
  if (length == 0 || !FindWorkingTree(folder, length, style, &rootLength, failed)) return nullptr;
  const char16_t separator = SeparatorOf(style);
  size_t rootStart = rootLength > 0 && folder[rootLength - 1] == separator ? rootLength : rootLength + 1;
  IgnoreRules* chain = TopRules(session, folder, rootLength, rootStart, style, failed);
  auto* below = chain != nullptr && length < SIZE_MAX / 4 ? static_cast<char*>(PlatformAlloc(3 * length + 2)) : nullptr;
  if (below == nullptr) *failed = true;
  size_t used = 0;
  for (size_t at = rootStart; at < length && !*failed;) {
    size_t end = at;
    while (end < length && folder[end] != separator) ++end;
    IgnoreRules* next = LoadFolderRules(chain, folder, at == rootStart ? rootLength : at - 1, used, style, failed);
    ReleaseRules(chain);
    chain = next;
    size_t nameStart = used;
    used += EncodePath(folder + at, end - at, separator, style, below + used);
    if (chain != nullptr && IgnoredAt(chain, below, nameStart, used, true)) *ignored = true;
    if (*ignored) break;
    below[used++] = '/';
    at = end + 1;
  }
  PlatformFree(below);
  if (*ignored || *failed) {
    ReleaseRules(chain);
    return nullptr;
  }
  return chain;
}

void EndIgnoreSession(IgnoreSession* session) {
  ReleaseRules(session->lastTop);
  PlatformFree(session->lastRoot);
  PlatformFree(session->userBytes);
  *session = IgnoreSession{};
}
