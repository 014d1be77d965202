// Loading stored settings whose values are of any type and size, as another
// program or a hand edit may leave them, through the in-memory store and
// the recording window. After every load: nothing read past a value, the
// settings either kept or exactly the stored word's, every label naming the
// value in memory, the four texts applied together or not at all, nothing
// leaked and every key closed. Storage may run out at any allocation.
// Then a save and a second load must give back what the first load left,
// and deleting must leave no value behind.

#include <cstring>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/posix/posix_user_store.h"
#include "platform/posix/recording_window.h"
#include "platform/user_store.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "settings/setting_toggles.h"
#include "settings/settings_store.h"
#include "tests/fuzz/fuzz_text.h"
#include "ui/layout.h"

namespace {

constexpr char16_t kMaker[] = u"Software\\Quillmoor";
const char16_t* const kValueNames[6] = {u"Setting", u"WindowPos", u"StrFF", u"StrFB", u"StrDF", u"StrDB"};
// Other spellings the store must take for the same values.
const char16_t* const kOtherCase[6] = {u"SETTING", u"windowpos", u"strff", u"STRFB", u"StrDf", u"sTRdB"};
constexpr Control kEdits[4] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                               Control::FolderSuffixEdit};
constexpr uint32_t kTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xFFFFFFFFu};

// Reads the fuzz input front to back; past its end every byte is 0.
struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  // Up to 65,535, most often small.
  uint32_t Size() {
    uint8_t first = Byte();
    return first < 0xF0 ? first : (static_cast<uint32_t>(first & 0x0F) << 12) | (uint32_t{Byte()} << 4) | (Byte() & 0xF);
  }
  std::vector<unsigned char> Bytes(uint32_t count) {
    std::vector<unsigned char> bytes(count, 0);
    for (uint32_t i = 0; i < count && at < size; ++i) bytes[i] = data[at++];
    return bytes;
  }
};

struct Stored {
  bool present;
  uint32_t type;
  std::vector<unsigned char> bytes;
};

struct Snapshot {
  PathForm pathForm;
  ItemFilter itemFilter;
  char16_t separator;
  bool extensionShown, folderScan, alwaysOnTop, translucent, compactLayout;
  bool operator==(const Snapshot& o) const {
    return pathForm == o.pathForm && itemFilter == o.itemFilter && separator == o.separator &&
           extensionShown == o.extensionShown && folderScan == o.folderScan && alwaysOnTop == o.alwaysOnTop &&
           translucent == o.translucent && compactLayout == o.compactLayout;
  }
};

Snapshot Take() {
  return Snapshot{g_settings.pathForm,   g_settings.itemFilter,  g_settings.separator,
                  g_settings.extensionShown, g_settings.folderScan, g_settings.alwaysOnTop,
                  g_settings.translucent, g_settings.compactLayout.load()};
}

const char16_t* PathFormLabel(PathForm form) {
  switch (form) {
    case PathForm::Absolute: return u" パス：絶対パス";
    case PathForm::Relative: return u" パス：相対パス";
    case PathForm::NameOnly: return u" パス：なし";
    case PathForm::Tree: return u" パス：ツリー";
  }
  return u"";
}

const char16_t* ItemFilterLabel(ItemFilter filter) {
  switch (filter) {
    case ItemFilter::FilesAndFolders: return u" 項目：ファイルとフォルダ";
    case ItemFilter::FilesOnly: return u" 項目：ファイルのみ";
    case ItemFilter::FoldersOnly: return u" 項目：フォルダのみ";
  }
  return u"";
}

bool LabelIs(Control label, const char16_t* text) { return RecordedControlText(label) == text; }

// Every label, the z-order, the alpha and the title tell the settings in memory.
void CheckLabelsNameTheSettings() {
  FUZZ_CHECK(IsPathForm(static_cast<int32_t>(g_settings.pathForm)));
  FUZZ_CHECK(IsItemFilter(static_cast<int32_t>(g_settings.itemFilter)));
  FUZZ_CHECK(g_settings.separator == kSlash || g_settings.separator == kBackslash);
  FUZZ_CHECK(LabelIs(Control::PathFormLabel, PathFormLabel(g_settings.pathForm)));
  FUZZ_CHECK(LabelIs(Control::ItemsLabel, ItemFilterLabel(g_settings.itemFilter)));
  FUZZ_CHECK(LabelIs(Control::SeparatorLabel,
                     g_settings.separator == kSlash ? u" パス区切り文字：/" : u" パス区切り文字：\\"));
  FUZZ_CHECK(LabelIs(Control::ExtensionLabel, g_settings.extensionShown ? u" 拡張子：あり" : u" 拡張子：なし"));
  FUZZ_CHECK(LabelIs(Control::FolderScanLabel,
                     g_settings.folderScan ? u" フォルダ内検索：する" : u" フォルダ内検索：しない"));
  FUZZ_CHECK(LabelIs(Control::TopmostLabel, g_settings.alwaysOnTop ? u" 常に手前に表示：ON" : u" 常に手前に表示：OFF"));
  FUZZ_CHECK(LabelIs(Control::TranslucentLabel, g_settings.translucent ? u" 透過表示：ON" : u" 透過表示：OFF"));
  bool titled = false;
  int64_t topmost = -1;
  int64_t alpha = -1;
  for (const WindowEvent& event : RecordedWindowEvents()) {
    if (event.operation == "setTitle") {
      titled = true;
      FUZZ_CHECK(event.text == (g_settings.compactLayout.load() ? kCompactTitle : kFullTitle));
    }
    if (event.operation == "setTopmost") topmost = event.values[0];
    if (event.operation == "setAlpha") alpha = event.values[0];
  }
  FUZZ_CHECK(titled);
  FUZZ_CHECK(topmost == (g_settings.alwaysOnTop ? 1 : 0));
  FUZZ_CHECK(alpha == (g_settings.translucent ? 192 : 255));
}

bool IsEdit(Control control) {
  for (Control edit : kEdits) {
    if (control == edit) return true;
  }
  return false;
}

// No label, title, z-order or alpha was written: only the edit boxes.
bool NothingWrittenToTheLabels() {
  for (const WindowEvent& event : RecordedWindowEvents()) {
    if (event.operation == "setControlText" && !IsEdit(event.control)) return false;
    if (event.operation == "setTitle" || event.operation == "setTopmost" || event.operation == "setAlpha") {
      return false;
    }
  }
  return true;
}

// The text a REG_SZ of these bytes loads as: floor(S / 2) - 1 units, up to
// the first NUL among them (the edit box stops there).
std::u16string LoadedText(const std::vector<unsigned char>& bytes) {
  size_t units = bytes.size() / 2 >= 1 ? bytes.size() / 2 - 1 : 0;
  std::u16string text(units, u'\0');
  if (units > 0) std::memcpy(text.data(), bytes.data(), units * 2);
  size_t end = text.find(u'\0');
  return end == std::u16string::npos ? text : text.substr(0, end);
}

// The valid stored word's settings, or none.
bool ValidWord(const Stored& value, uint32_t* word) {
  if (!value.present || value.type != kStoreDword || value.bytes.size() != 4) return false;
  std::memcpy(word, value.bytes.data(), 4);
  uint32_t form = (*word >> 4) & 0xF;
  uint32_t filter = (*word >> 8) & 0xF;
  return (*word & 0xF) == 0 && form >= 1 && form <= 4 && filter >= 1 && filter <= 3;
}

void RemoveMaker() {
  StoreKey product = nullptr;
  if (g_userStore.openKey(nullptr, u"Software\\Quillmoor\\Dorrowin", StoreAccess::All, &product) ==
      StoreResult::Ok) {
    g_userStore.deleteKey(product, u"Other");
    g_userStore.closeKey(product);
  }
  g_userStore.deleteKey(nullptr, u"Software\\Quillmoor\\Dorrowin");
  g_userStore.deleteKey(nullptr, kMaker);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size, 0};
  uint8_t presence = in.Byte();
  uint8_t options = in.Byte();
  uint8_t failAt = in.Byte();
  Stored stored[6];
  for (int i = 0; i < 6; ++i) {
    stored[i].present = (presence >> i) & 1;
    if (!stored[i].present) continue;
    stored[i].type = kTypes[in.Byte() % (sizeof(kTypes) / sizeof(kTypes[0]))];
    stored[i].bytes = in.Bytes(in.Size());
  }
  uint32_t extraValues = in.Byte() % 4;

  RemoveMaker();
  StoreKey key = nullptr;
  FUZZ_CHECK(g_userStore.createKey(nullptr, u"Software\\Quillmoor\\Dorrowin", StoreAccess::All, &key) ==
             StoreResult::Ok);
  bool otherCase = (options & 0x01) != 0;
  for (int i = 0; i < 6; ++i) {
    if (!stored[i].present) continue;
    g_userStore.setValue(key, otherCase ? kOtherCase[i] : kValueNames[i], stored[i].type, stored[i].bytes.data(),
                         static_cast<uint32_t>(stored[i].bytes.size()));
  }
  // Values of other names, with names of any length, for the deletion.
  for (uint32_t i = 0; i < extraValues; ++i) {
    std::u16string name = FuzzText(data + in.at, in.size - in.at < 8 ? in.size - in.at : 8);
    name += static_cast<char16_t>(u'0' + i);
    name += std::u16string(in.Size(), u'n');
    g_userStore.setValue(key, name.c_str(), kStoreBinary, nullptr, 0);
  }
  bool otherSubkey = (options & 0x02) != 0;
  if (otherSubkey) {
    StoreKey other = nullptr;
    g_userStore.createKey(key, u"Other", StoreAccess::All, &other);
    g_userStore.closeKey(other);
  }
  g_userStore.closeKey(key);

  // The settings before the load: the defaults, or another valid set.
  ResetListingSettings();
  if ((options & 0x04) != 0) {
    g_settings.pathForm = static_cast<PathForm>(1 + (options >> 3) % 4);
    g_settings.itemFilter = static_cast<ItemFilter>(1 + (options >> 5) % 3);
    g_settings.separator = kSlash;
    g_settings.compactLayout.store(true);
  }
  ResetRecordedWindow();
  const std::u16string before[4] = {u"a", u"bb", u"", u"\u3000"};
  for (int i = 0; i < 4; ++i) g_window.setControlText(kEdits[i], before[i].c_str());
  ClearRecordedWindowEvents();
  Snapshot start = Take();
  int64_t live = GetAllocationStats().liveBlocks;
  int32_t keys = LivePosixStoreKeys();

  ArmAllocationFailure((options & 0x80) != 0 ? 1 + failAt % 6 : 0);
  uint64_t failuresBefore = GetAllocationStats().failures;
  LoadSettings();
  bool ranOut = GetAllocationStats().failures != failuresBefore;
  ArmAllocationFailure(0);

  FUZZ_CHECK(GetAllocationStats().liveBlocks == live);
  FUZZ_CHECK(LivePosixStoreKeys() == keys);

  bool textsApplied = !ranOut;
  for (int i = 2; i < 6; ++i) textsApplied = textsApplied && stored[i].present && stored[i].type == kStoreString;
  for (int i = 0; i < 4; ++i) {
    std::u16string expected = textsApplied ? LoadedText(stored[i + 2].bytes) : before[i];
    FUZZ_CHECK(RecordedControlText(kEdits[i]) == expected);
  }

  uint32_t word = 0;
  if (ranOut) {
    // The load ends at once: nothing applied, no label written.
    FUZZ_CHECK(Take() == start);
    FUZZ_CHECK(NothingWrittenToTheLabels());
  } else {
    if (ValidWord(stored[0], &word)) {
      FUZZ_CHECK(UnpackSettings(word));
      Snapshot unpacked = Take();
      FUZZ_CHECK(PackSettings() == (word & 0x3FFF0u));
      FUZZ_CHECK(unpacked.pathForm == static_cast<PathForm>((word >> 4) & 0xF));
    } else {
      FUZZ_CHECK(Take() == start);
    }
    CheckLabelsNameTheSettings();
    // A valid place was applied first (the layout's fit may move it after).
    const Stored& place = stored[1];
    bool placeValid = place.present && place.type == kStoreDword && place.bytes.size() == 4;
    int placed = 0;
    for (const WindowEvent& event : RecordedWindowEvents()) {
      if (event.operation != "placeWindow") continue;
      ++placed;
      uint32_t raw = 0;
      std::memcpy(&raw, place.bytes.data(), 4);
      int32_t left = 0, top = 0;
      UnpackWindowPos(raw, &left, &top);
      FUZZ_CHECK(event.values[0] == left && event.values[1] == top);
    }
    FUZZ_CHECK(placed == (placeValid ? 1 : 0));
  }
  // The load reads and never writes.
  for (int i = 0; i < 6; ++i) {
    StoreKey reader = nullptr;
    FUZZ_CHECK(g_userStore.openKey(nullptr, u"Software\\Quillmoor\\Dorrowin", StoreAccess::Read, &reader) ==
               StoreResult::Ok);
    uint32_t type = 0;
    uint32_t bytes = 0;
    StoreResult result = g_userStore.queryValue(reader, kValueNames[i], &type, nullptr, &bytes);
    g_userStore.closeKey(reader);
    FUZZ_CHECK((result == StoreResult::Ok) == stored[i].present);
    if (stored[i].present) FUZZ_CHECK(type == stored[i].type && bytes == stored[i].bytes.size());
  }

  // What the load left survives a save and a second load.
  if (!ranOut) {
    Snapshot loaded = Take();
    std::u16string texts[4];
    for (int i = 0; i < 4; ++i) texts[i] = RecordedControlText(kEdits[i]);
    SaveSettings();
    ResetListingSettings();
    for (Control edit : kEdits) g_window.setControlText(edit, u"changed");
    LoadSettings();
    FUZZ_CHECK(Take() == loaded);
    for (int i = 0; i < 4; ++i) FUZZ_CHECK(RecordedControlText(kEdits[i]) == texts[i]);
  }

  DeleteSavedSettings();
  StoreKey product = nullptr;
  StoreResult opened = g_userStore.openKey(nullptr, u"Software\\Quillmoor\\Dorrowin", StoreAccess::Read, &product);
  if (otherSubkey) {
    // The other program's key stays, and with it ours, emptied of values.
    FUZZ_CHECK(opened == StoreResult::Ok);
    uint32_t subkeys = 0, longestSubkey = 0, values = 0, longestValue = 0;
    FUZZ_CHECK(g_userStore.queryInfo(product, &subkeys, &longestSubkey, &values, &longestValue) == StoreResult::Ok);
    FUZZ_CHECK(subkeys == 1 && values == 0);
    g_userStore.closeKey(product);
  } else {
    FUZZ_CHECK(opened == StoreResult::NotFound);
    StoreKey maker = nullptr;
    FUZZ_CHECK(g_userStore.openKey(nullptr, kMaker, StoreAccess::Read, &maker) == StoreResult::NotFound);
  }
  FUZZ_CHECK(GetAllocationStats().liveBlocks == live);
  FUZZ_CHECK(LivePosixStoreKeys() == keys);
  RemoveMaker();
  return 0;
}
