#include "engine/ignore_patterns.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/git_repository.h"
#include "engine/lines.h"
#include "platform/utf8.h"

namespace {

// One line of a file as a pattern; false for blank lines and comments. The
// spaces at its end go unless a '\' quotes them.
bool ParsePattern(const char* line, size_t length, uint32_t flags, IgnorePattern* pattern) {
  if (length == 0 || line[0] == '#') return false;
  size_t end = 0;
  for (size_t i = 0; i < length; ++i) {
    if (line[i] != ' ') end = std::min(length, i + (line[i] == '\\' ? 2 : 1));
    if (line[i] == '\\') ++i;
  }
  length = end;
  if (length == 0) return false;
  *pattern = IgnorePattern{};
  pattern->negated = line[0] == '!';
  if (pattern->negated) ++line, --length;
  pattern->folderOnly = length > 0 && line[length - 1] == '/';
  if (pattern->folderOnly) --length;
  pattern->nameOnly = length == 0 || std::memchr(line, '/', length) == nullptr;
  if (!pattern->nameOnly && line[0] == '/') ++line, --length;
  size_t plain = 0;
  while (!pattern->nameOnly && plain < length && std::strchr("*?[\\", line[plain]) == nullptr) ++plain;
  pattern->start = MakeGlob(line, plain, flags);
  pattern->glob = MakeGlob(line + plain, length - plain, flags);
  return true;
}

// Whether a pattern with a '/' matches the path below the rules' folder.
bool PathMatches(const IgnorePattern& pattern, const char* path, size_t length) {
  size_t plain = static_cast<size_t>(pattern.start.length);
  return length >= plain && MatchGlob(pattern.start, path, plain) &&
         GlobMatches(pattern.glob, path + plain, length - plain);
}

}  // namespace

// A loop, not recursion: a chain is as long as the tree is deep.
IgnoreRules::~IgnoreRules() {
  while (parent && parent->holders.count.load(std::memory_order_acquire) == 1) parent = std::move(parent->parent);
}

Shared<IgnoreRules> MakeRules(const Shared<IgnoreRules>& parent, size_t rootStart, size_t base, PathStyle style,
                              const char* shared, size_t sharedSize, OwnedBlock<char> own, size_t ownSize,
                              bool* failed) {
  Owned<IgnoreRules> rules = MakeOwned<IgnoreRules>();
  bool added = rules != nullptr;
  uint32_t flags = kGlobEscapes | (style == PathStyle::Windows ? kGlobFoldCase : 0u);
  auto add = [&](const char* line, size_t length) {
    IgnorePattern p;
    if (!ParsePattern(line, length, flags, &p)) return true;
    // A plain path's matches end with its start's last byte.
    bool plainPath = p.glob.length == 0 && p.start.length > 0;
    auto last = static_cast<unsigned char>(plainPath ? p.start.text[p.start.length - 1] : p.glob.last);
    rules->lastChars.Note(last, (flags & kGlobFoldCase) != 0 && IsAsciiLetter(last));
    added = rules->patterns.Append(p);
    return added;
  };
  if (added) ForEachLine(shared, sharedSize, FinalCr::Kept, add);
  if (added) ForEachLine(own.get(), ownSize, FinalCr::Kept, add);
  if (!added) {
    *failed = true;
    return {};
  }
  if (rules->patterns.empty() && parent) return parent;
  rules->parent = parent;
  rules->rootStart = rootStart;
  rules->base = base;
  rules->bytes = std::move(own);
  return Shared<IgnoreRules>(std::move(rules));
}

Shared<IgnoreRules> LoadFolderRules(const Shared<IgnoreRules>& parent, const char16_t* folder, size_t length,
                                    size_t base, PathStyle style, bool* failed) {
  Text file = JoinPath(folder, length, u".gitignore", 10, style);
  OwnedBlock<char> owned;
  size_t size = 0;
  FileLoad load = file ? ReadFileBytes(file.get(), true, &owned, &size) : FileLoad::OutOfMemory;
  *failed = *failed || load == FileLoad::OutOfMemory;
  if (load != FileLoad::Loaded) return load == FileLoad::Unreadable ? parent : Shared<IgnoreRules>();
  return MakeRules(parent, parent->rootStart, base, style, nullptr, 0, std::move(owned), size, failed);
}

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

bool StartIgnorePath(IgnorePath* path, const IgnoreRules& rules, const char16_t* folder, size_t length,
                     size_t longestName, PathStyle style) {
  size_t start = rules.rootStart < length ? rules.rootStart : length;
  size_t units = length - start;
  path->style = style;
  if (units > SIZE_MAX / 8 || longestName > SIZE_MAX / 8) return false;
  path->bytes = MakeBlock<char>(3 * units + 3 * longestName + 2);
  if (path->bytes == nullptr) return false;
  path->folderLength = EncodePath(folder + start, units, SeparatorOf(style), style, path->bytes.get());
  if (path->folderLength > 0) path->bytes[path->folderLength++] = '/';
  return true;
}

bool IgnoredAt(const IgnoreRules& rules, const char* path, size_t nameStart, size_t end, bool isFolder) {
  for (const IgnoreRules* set = &rules; set != nullptr; set = set->parent.get()) {
    for (size_t k = set->patterns.size(); k-- > 0;) {
      const IgnorePattern& pattern = set->patterns[k];
      if (pattern.folderOnly && !isFolder) continue;
      bool hit = pattern.nameOnly ? GlobMatches(pattern.glob, path + nameStart, end - nameStart)
                                  : set->base <= nameStart && PathMatches(pattern, path + set->base, end - set->base);
      if (hit) return !pattern.negated;
    }
  }
  return false;
}

// A name whose last unit is ASCII is its last byte too: when no file's
// patterns can end with it, the name is not even encoded.
bool IsIgnored(const IgnoreRules& rules, IgnorePath* path, const char16_t* name, size_t length, bool isFolder) {
  const IgnoreRules* set = &rules;
  while (set != nullptr && !set->lastChars.MayEnd(length > 0 ? name[length - 1] : 0)) set = set->parent.get();
  if (set == nullptr) return false;
  size_t nameStart = path->folderLength;
  size_t end = nameStart + EncodePath(name, length, kSlash, path->style, path->bytes.get() + nameStart);
  return IgnoredAt(rules, path->bytes.get(), nameStart, end, isFolder);
}

bool IsIgnoreFileName(const char16_t* name, size_t length, PathStyle style) {
  return SpellsWord(name, length, ".gitignore", style == PathStyle::Windows);
}
