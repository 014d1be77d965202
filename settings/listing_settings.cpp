#include "settings/listing_settings.h"

ListingSettings g_settings{PathForm::Relative, kBackslash, ItemFilter::FilesAndFolders, true, true, true, false, true};

// The defaults hold from process start until stored values replace them.
void ResetListingSettings() {
  g_settings = ListingSettings{PathForm::Relative, kBackslash, ItemFilter::FilesAndFolders, true, true, true, false, true};
}

bool IsPathForm(int32_t value) {
  return value >= static_cast<int32_t>(PathForm::Absolute) && value <= static_cast<int32_t>(PathForm::Tree);
}

bool IsItemFilter(int32_t value) {
  return value >= static_cast<int32_t>(ItemFilter::FilesAndFolders) &&
         value <= static_cast<int32_t>(ItemFilter::FoldersOnly);
}

ListingOptions ListingOptionsOf(const ListingSettings& settings) {
  return ListingOptions{settings.pathForm, settings.separator, settings.itemFilter, settings.extensionShown,
                        settings.folderScan};
}
