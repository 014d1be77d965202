#pragma once
// Where git keeps a working tree's repository: the folder holding .git, and
// those that a .git file ("gitdir: PATH") and a worktree's commondir name.

#include <cstddef>

#include "engine/path_rules.h"
#include "platform/filesystem.h"
#include "platform/owned.h"

// The folder, a separator unless it ends in one, then tail with its '/' as the
// style's separator (alone when absolute). Null when storage runs out.
Text JoinPath(const char16_t* folder, size_t length, const char16_t* tail, size_t tailLength, PathStyle style,
              bool resolveDots = false);
Text JoinPath(const char16_t* folder, const char16_t* tail, PathStyle style);

// The file's bytes in *bytes (null unless Loaded), never through a link where noFollow.
FileLoad ReadFileBytes(const char16_t* path, bool noFollow, OwnedBlock<char>* bytes, size_t* size);

// ".git" (in either case on Windows).
bool IsGitName(const char16_t* name, size_t length, PathStyle style);

// The length of the first folder holding .git from the folder (length units)
// up. False when there is none or the walk meets a folder named .git (a
// repository's inside is no working tree); *failed when storage runs out.
bool FindWorkingTree(const char16_t* folder, size_t length, PathStyle style, size_t* rootLength, bool* failed);

// The bytes of $GIT_DIR/info/exclude of the working tree at root (none
// without one). False when storage runs out.
bool ReadInfoExclude(const char16_t* root, PathStyle style, OwnedBlock<char>* bytes, size_t* size);
