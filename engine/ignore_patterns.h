#pragma once
// git's ignore patterns (gitignore(5)): each folder's .gitignore over those
// above it, the last matching line of the deepest file deciding; matched as
// git does, on UTF-8 bytes with '/', letters in either case on Windows.

#include "engine/glob.h"
#include "engine/path_rules.h"
#include "platform/array.h"
#include "platform/owned.h"
#include "platform/shared.h"

// A pattern with a '/' matches a path by its plain start (up to the first
// wildcard or '\'), then by the glob of the rest, as git matches it.
struct IgnorePattern {
  Glob<char> start;  // plain text: matched whole, letters folding like glob
  Glob<char> glob;
  bool negated;     // "!": what it matches is not ignored
  bool folderOnly;  // a trailing '/': matches folders only
  bool nameOnly;    // no '/' inside: matches the name, at any depth
};

// One file's patterns over those of the folders above (at the top: the
// user's file and info/exclude). Shared by reader threads, never changed.
struct IgnoreRules {
  SharedCount holders;
  Shared<IgnoreRules> parent;  // null at the top
  size_t rootStart = 0;        // units of a full path before its part below the root
  size_t base = 0;             // bytes of the path below the root its patterns start at
  Array<IgnorePattern> patterns;
  OwnedBlock<char> bytes;  // the file's bytes, which the patterns point into
  LastChars lastChars;     // what a match of one of the patterns may end with
  ~IgnoreRules();
};

// The rules of the lines of shared's bytes (which outlive the rules) then
// own's (kept with them) over parent; parent again for a file without
// patterns below the top. Null with *failed set when storage runs out.
Shared<IgnoreRules> MakeRules(const Shared<IgnoreRules>& parent, size_t rootStart, size_t base, PathStyle style,
                              const char* shared, size_t sharedSize, OwnedBlock<char> own, size_t ownSize,
                              bool* failed);

// A folder's .gitignore (never through a link) over parent, or parent without
// one; base: its IgnorePath's folderLength. Null with *failed when out of storage.
Shared<IgnoreRules> LoadFolderRules(const Shared<IgnoreRules>& parent, const char16_t* folder, size_t length,
                                    size_t base, PathStyle style, bool* failed);

// A folder's path below its working tree's root, then an entry's name.
struct IgnorePath {
  OwnedBlock<char> bytes;
  size_t folderLength = 0;  // ends in '/' unless the folder is the root
  PathStyle style = PathStyle::Windows;
};

// The folder's path with room for a name of longestName units; false when out of storage.
bool StartIgnorePath(IgnorePath* path, const IgnoreRules& rules, const char16_t* folder, size_t length,
                     size_t longestName, PathStyle style);

// Whether the rules ignore the entry name (length units) in path's folder.
bool IsIgnored(const IgnoreRules& rules, IgnorePath* path, const char16_t* name, size_t length, bool isFolder);
// Whether they ignore path[nameStart..end), a name in the folder before it.
bool IgnoredAt(const IgnoreRules& rules, const char* path, size_t nameStart, size_t end, bool isFolder);

// text's UTF-8 form in out (three bytes a unit, separators as '/'); returns its
// bytes. A POSIX name's escaped bytes are those bytes again, as git sees it.
size_t EncodePath(const char16_t* text, size_t length, char16_t separator, PathStyle style, char* out);

// ".gitignore" (in either case on Windows).
bool IsIgnoreFileName(const char16_t* name, size_t length, PathStyle style);
