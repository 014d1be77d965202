#pragma once
// What git ignores in a working tree (gitignore(5)): the patterns of every
// folder's .gitignore (deeper files first, the last matching line of a
// file deciding), then $GIT_DIR/info/exclude, then the user's
// core.excludesFile; matched as git matches them, on UTF-8 bytes with '/'
// between components, letters in either case on Windows.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/glob.h"
#include "engine/path_rules.h"

struct IgnorePattern {
  // A pattern with a '/' matches a path by its plain start (up to the first
  // wildcard or '\') and then by the glob of the rest, as git matches it:
  // a "**" right after the plain start counts as one at the start.
  const char* start;
  size_t startLength;
  Glob<char> glob;
  bool negated;     // "!": what it matches is not ignored
  bool folderOnly;  // a trailing '/': matches folders only
  bool nameOnly;    // no '/' inside: matches the name, at any depth
};

// The patterns of one file over those of the folders above it (at the top
// of a working tree: the user's file and info/exclude). Never changed once
// made, and shared down the tree: reader threads hold them too, so they
// are freed with the last holder.
struct IgnoreRules {
  std::atomic<int32_t> holders;
  IgnoreRules* parent;  // held; null at the top
  size_t rootStart;     // units of a full path before its part below the root
  size_t base;          // bytes of the folder's path below the root ('/'
                        // included) that its patterns are relative to
  IgnorePattern* patterns;
  int32_t count;
  char* bytes;          // the file's bytes, which the patterns point into
  // The last bytes a match of one of the patterns may end with (a bit
  // each), or any: most entries are told apart from a whole file by it.
  uint64_t lastBytes[4];
  bool anyLast;
};

void HoldRules(IgnoreRules* rules);
// Lets go of the rules; the last holder frees them. Null is allowed.
void ReleaseRules(IgnoreRules* rules);

// One folder's path below the root of its working tree, followed by one
// entry's name at a time, as git matches them.
struct IgnorePath {
  char* bytes;
  size_t folderLength;  // ends in '/' unless the folder is the root
  size_t capacity;
  PathStyle style;
};

// The path of the folder (its full path, length units) with room for a name
// of up to longestName units after it. False when storage runs out.
bool StartIgnorePath(IgnorePath* path, const IgnoreRules* rules, const char16_t* folder, size_t length,
                     size_t longestName, PathStyle style);
void FreeIgnorePath(IgnorePath* path);

// The rules of a folder (its full path, length units; base: its
// IgnorePath's folderLength): its .gitignore, read never through a link,
// over parent's; parent held once more when there is none to read. Null
// with *failed set when storage runs out.
IgnoreRules* LoadFolderRules(IgnoreRules* parent, const char16_t* folder, size_t length, size_t base,
                             PathStyle style, bool* failed);

// Whether the rules ignore the entry named name (length units) in the
// folder of path.
bool IsIgnored(const IgnoreRules* rules, IgnorePath* path, const char16_t* name, size_t length, bool isFolder);

// ".git" and ".gitignore" (in either case on Windows).
bool IsGitName(const char16_t* name, size_t length, PathStyle style);
bool IsIgnoreFileName(const char16_t* name, size_t length, PathStyle style);

// The state --gitignore keeps through one job, on the listing's thread.
struct IgnoreSession {
  bool userRead;        // the user's excludes file has been looked for
  char* userBytes;      // its bytes (null: none), which top rules point into
  size_t userSize;
  char16_t* lastRoot;   // the working tree found last and its top rules
  size_t lastRootLength;
  IgnoreRules* lastTop;
};

// The rules that the entries of an input folder (length units) are
// matched under, all but its own .gitignore: held for the caller; null
// outside a working tree (found by walking up to a folder holding .git).
// *ignored when git ignores the folder or a folder between it and the
// root, so that nothing inside it is listed. Null with *failed set when
// storage runs out.
IgnoreRules* InputFolderRules(IgnoreSession* session, const char16_t* folder, size_t length, PathStyle style,
                              bool* ignored, bool* failed);
// Frees what the session holds, once nothing else holds its rules.
void EndIgnoreSession(IgnoreSession* session);
