#pragma once
// ListingRequest: everything one listing job reads, taken before it starts,
// so that the listing never touches the window or the settings.

#include <cstddef>
#include <cstdint>

#include "engine/path_rules.h"
#include "platform/array.h"
#include "platform/owned.h"

enum class PathForm : int32_t { Absolute = 1, Relative = 2, NameOnly = 3, Tree = 4 };
enum class ItemFilter : int32_t { FilesAndFolders = 1, FilesOnly = 2, FoldersOnly = 3 };

struct ListingOptions {
  PathForm pathForm;
  char16_t separator;  // backslash or slash, applied to the whole text
  ItemFilter itemFilter;
  bool extensionShown;
  bool folderScan;
  // How the input paths are spelled (always Windows for the window).
  PathStyle pathStyle = PathStyle::Windows;
  // Folders read at once: 0 the engine's choice, 1 on the listing's thread.
  int32_t readers = 0;
  // Levels scanned below each input folder: 1 its entries, 0 none, -1 all.
  int32_t maxDepth = -1;
  // Inside a git working tree, what git ignores is left out.
  bool gitIgnore = false;
};

// The four affix texts, in the edit boxes' and stored values' order.
enum AffixSlot : int32_t { kFilePrefix = 0, kFileSuffix = 1, kFolderPrefix = 2, kFolderSuffix = 3 };
constexpr int32_t kAffixCount = 4;

struct ListingRequest {
  ListingOptions options;
  Text affixes[kAffixCount];  // null for the empty text
  Array<Text> paths;          // the input paths in arrival order
  // Globs of names left out, with all inside them; none for the window.
  Array<Text> excludes;
  // The input could not be taken: the job lists nothing and ends Failed.
  bool inputFailed = false;
};

// Copies of length units into a text of the request, or appended to its
// paths or globs; false when storage runs out.
bool SetRequestText(Text* slot, const char16_t* text, size_t length);
bool AddRequestPath(ListingRequest* request, const char16_t* path, size_t length);
bool AddRequestExclude(ListingRequest* request, const char16_t* glob, size_t length);

// Splits a process command line into the request's paths: the program path
// (in double quotes, or up to the first space), then paths between spaces,
// one that begins with a double quote running to the next. An unclosed
// quote around the program path, or no storage, sets inputFailed: false.
bool ParseCommandLine(const char16_t* line, ListingRequest* request);
