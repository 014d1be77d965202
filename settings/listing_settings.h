#pragma once
// The eight user settings, one process-wide record.

#include <atomic>
#include <cstdint>

enum class PathForm : int32_t { Absolute = 1, Relative = 2, NameOnly = 3, Tree = 4 };
enum class ItemFilter : int32_t { FilesAndFolders = 1, FilesOnly = 2, FoldersOnly = 3 };

constexpr char16_t kBackslash = u'\\';
constexpr char16_t kSlash = u'/';

struct ListingSettings {
  PathForm pathForm;
  char16_t separator;
  ItemFilter itemFilter;
  bool extensionShown;
  bool folderScan;
  bool alwaysOnTop;
  bool translucent;
  // Read by the worker's status display while the window thread may switch
  // the layout, hence atomic.
  std::atomic<bool> compactLayout;
};

extern ListingSettings g_settings;

// Puts the compiled-in defaults into g_settings.
void ResetListingSettings();
