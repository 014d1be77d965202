#include "settings/listing_settings.h"

bool IsPathForm(int32_t value) {
  return value >= static_cast<int32_t>(PathForm::Absolute) && value <= static_cast<int32_t>(PathForm::Tree);
}

bool IsItemFilter(int32_t value) {
  return value >= static_cast<int32_t>(ItemFilter::FilesAndFolders) &&
         value <= static_cast<int32_t>(ItemFilter::FoldersOnly);
}

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
