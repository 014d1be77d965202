#include "settings/listing_settings.h"

// Tree with FoldersOnly is left as it is: folders alone still make a tree.
bool CorrectItemFilterForTree(ListingSettings* settings) {
  if (settings->pathForm != PathForm::Tree || settings->itemFilter != ItemFilter::FilesOnly) return false;
  settings->itemFilter = ItemFilter::FilesAndFolders;
  return true;
}

ListingOptions ListingOptionsOf(const ListingSettings& settings) {
  return ListingOptions{settings.pathForm, settings.separator, settings.itemFilter, settings.extensionShown,
                        settings.folderScan};
}
