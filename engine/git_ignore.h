#pragma once
// What git ignores in a working tree (gitignore(5)): every folder's
// .gitignore, then $GIT_DIR/info/exclude, then the user's core.excludesFile.

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

// The rules of an input folder's entries but its own .gitignore; null outside
// a working tree, when git ignores the folder or one above it below the root
// (*ignored: nothing inside is listed), and when out of storage (*failed).
Shared<IgnoreRules> InputFolderRules(IgnoreSession* session, const char16_t* folder, size_t length, PathStyle style,
                                     bool* ignored, bool* failed);
