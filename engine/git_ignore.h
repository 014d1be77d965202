#pragma once
// What git ignores in a working tree (gitignore(5)): every folder's
// .gitignore, then $GIT_DIR/info/exclude, then the user's core.excludesFile.

#include <cstddef>

#include "engine/git_repository.h"
#include "engine/ignore_patterns.h"

// The state --gitignore keeps through one job, on the listing's thread.
struct IgnoreSession {
  bool userRead = false;       // the user's excludes file has been looked for
  OwnedBlock<char> userBytes;  // its bytes (null: none), which top rules point into
  size_t userSize = 0;
  Text lastRoot;               // the working tree found last and its top rules
  Shared<IgnoreRules> lastTop;
};

// The rules that an input folder's (length units) entries are matched
// under, all but its own .gitignore; null outside a working tree. *ignored
// when git ignores the folder or one between it and the root: nothing
// inside is listed. Null with *failed set when storage runs out.
Shared<IgnoreRules> InputFolderRules(IgnoreSession* session, const char16_t* folder, size_t length, PathStyle style,
                                     bool* ignored, bool* failed);
