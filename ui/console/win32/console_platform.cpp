#include "ui/console/console_platform.h"

#include <utility>

#include "engine/clipboard_text.h"
#include "engine/text.h"
#include "job/job_request.h"
#include "settings/settings_store.h"

const PathStyle kConsolePathStyle = PathStyle::Windows;
const char16_t kConsoleSeparator = kBackslash;
const char16_t kConsoleLineEnd[] = u"\r\n";
const bool kConsoleHasSavedSettings = true;

// The same values, read by the same rules, as the window's start-up: the
// setting word when it is valid, the four texts when all four are.
bool LoadSavedSettings(ListingSettings* settings, Text texts[kAffixCount]) {
  StoredSettings stored = LoadStoredSettings();
  if (stored.outOfMemory) return false;
  if (stored.settingValid) UnpackSettings(stored.setting, settings);
  for (int32_t i = 0; i < kAffixCount && stored.textsValid; ++i) texts[i] = std::move(stored.texts[i]);
  return true;
}

bool CopyTextToClipboard(const ListingText& text) { return CopyListingToClipboard(text); }

PasteResult AddPastedPaths(ListingRequest* request) {
  DropHandle drop = nullptr;
  PasteResult result = g_clipboard.takeFiles(&drop);
  if (result != PasteResult::Taken) return result;
  bool added = AddDropPaths(drop, request);
  g_jobInput.releaseDrop(drop);
  return added ? PasteResult::Taken : PasteResult::NoMemory;
}
