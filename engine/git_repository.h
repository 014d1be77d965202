#pragma once
// Where git keeps a working tree's repository: the folder holding .git above
// a path, and the folders that a .git file ("gitdir: PATH", a worktree's or
// a submodule's) and a worktree's commondir file name.

#include <cstddef>

#include "engine/path_rules.h"
#include "platform/owned.h"

// The folder (length units), a separator unless it ends in one, then tail,
// whose '/' become the style's separator; a tail that is absolute stands
// alone. Null when storage runs out.
Text JoinPath(const char16_t* folder, size_t length, const char16_t* tail, size_t tailLength, PathStyle style);
Text JoinPath(const char16_t* folder, const char16_t* tail, PathStyle style);

// ".git" (in either case on Windows).
bool IsGitName(const char16_t* name, size_t length, PathStyle style);

// Walks up from the folder (length units) to the first folder holding .git
// and gives its length. False when there is none, and when the walk meets a
// folder named .git (the inside of a repository is no working tree); false
// with *failed set when storage runs out.
bool FindWorkingTree(const char16_t* folder, size_t length, PathStyle style, size_t* rootLength, bool* failed);

// The bytes of $GIT_DIR/info/exclude of the working tree at root (none
// when there is no such file). False when storage runs out.
bool ReadInfoExclude(const char16_t* root, PathStyle style, OwnedBlock<char>* bytes, size_t* size);
