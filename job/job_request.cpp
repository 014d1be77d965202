#include "job/job_request.h"

#include "engine/text.h"

// The Tree form lists folders as its branches, so it cannot list files only;
// FoldersOnly stays, as folders alone still make a tree.
bool MakeJobRequest(ListingSettings* settings, PathStyle style, const char16_t* const texts[kAffixCount],
                    ListingRequest* request) {
  if (settings->pathForm == PathForm::Tree && settings->itemFilter == ItemFilter::FilesOnly) {
    settings->itemFilter = ItemFilter::FilesAndFolders;
  }
  request->options = ListingOptions{.pathForm = settings->pathForm, .separator = settings->separator,
                                    .itemFilter = settings->itemFilter, .extensionShown = settings->extensionShown,
                                    .folderScan = settings->folderScan, .pathStyle = style};
  for (int32_t i = 0; i < kAffixCount; ++i) {
    const char16_t* text = texts[i] != nullptr ? texts[i] : u"";
    if (!SetRequestText(&request->affixes[i], text, TextLength(text))) return false;
  }
  return true;
}
