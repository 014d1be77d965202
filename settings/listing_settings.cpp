#include "settings/listing_settings.h"

ListingSettings g_settings{PathForm::Relative, kBackslash, ItemFilter::FilesAndFolders,
                           true, true, true, false, {true}};

// The defaults hold from process start until stored values replace them.
void ResetListingSettings() {
  g_settings.pathForm = PathForm::Relative;
  g_settings.separator = kBackslash;
  g_settings.itemFilter = ItemFilter::FilesAndFolders;
  g_settings.extensionShown = true;
  g_settings.folderScan = true;
  g_settings.alwaysOnTop = true;
  g_settings.translucent = false;
  g_settings.compactLayout.store(true);
}
