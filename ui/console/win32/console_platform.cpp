#include "ui/console/console_platform.h"

#include "engine/clipboard_text.h"
#include "settings/settings_store.h"

const PathStyle kConsolePathStyle = PathStyle::Windows;
const char16_t kConsoleSeparator = kBackslash;
const char16_t kConsoleLineEnd[] = u"\r\n";
const bool kConsoleHasSavedSettings = true;

// The same values, read by the same rules, as the window's start-up: the
// setting word when it is valid, the four texts when all four are.
bool ApplySavedSettings(ListingSettings* settings, ListingRequest* request) {
  StoredSettings stored{};
  LoadStoredSettings(&stored);
  bool ok = !stored.outOfMemory;
  if (ok && stored.keyFound && stored.settingValid) UnpackSettings(stored.setting, settings);
  if (ok && stored.keyFound && stored.textsValid) {
    for (int32_t i = 0; i < kStoredTextCount && ok; ++i) {
      const char16_t* text = stored.texts[i] != nullptr ? stored.texts[i] : u"";
      size_t length = 0;
      while (text[length] != 0) ++length;
      ok = SetRequestText(&request->affixes[i], text, length);
    }
  }
  FreeStoredSettings(&stored);
  return ok;
}

bool CopyTextToClipboard(const ListingText& text) { return CopyListingToClipboard(text); }
