#include "settings/settings_store.h"

#include <memory>

#include "platform/ascii.h"

const char16_t kProductKeyPath[] = u"Software\\Quillmoor\\Dorrowin";

namespace {

constexpr char16_t kMakerKey[] = u"Quillmoor";
constexpr char16_t kProductKey[] = u"Dorrowin";
constexpr char16_t kSettingValue[] = u"Setting";
constexpr char16_t kWindowPosValue[] = u"WindowPos";

// The four affix texts' value names, in the order they are read and written.
constexpr const char16_t* kTextValues[kAffixCount] = {u"StrFF", u"StrFB", u"StrDF", u"StrDB"};

// The "Setting" word's flags, in its bits 12 to 16.
constexpr bool ListingSettings::*kFlags[] = {&ListingSettings::extensionShown, &ListingSettings::folderScan,
                                             &ListingSettings::translucent, &ListingSettings::alwaysOnTop,
                                             &ListingSettings::compactLayout};

// An open key, closed when its owner ends.
struct StoreKeyClose {
  void operator()(StoreKey key) const { g_userStore.closeKey(key); }
};
using OpenedKey = std::unique_ptr<void, StoreKeyClose>;

OpenedKey OpenStoreKey(StoreKey parent, const char16_t* path, StoreAccess access) {
  StoreKey key = nullptr;
  return OpenedKey(g_userStore.openKey(parent, path, access, &key) == StoreResult::Ok ? key : nullptr);
}

// A 4-byte word value; false unless it exists as a REG_DWORD of 4 bytes.
bool QueryWord(StoreKey key, const char16_t* name, uint32_t* word) {
  uint32_t data = 0, type = 0, size = sizeof(data);
  StoreResult result = g_userStore.queryValue(key, name, &type, &data, &size);
  *word = data;
  return result == StoreResult::Ok && type == kStoreDword && size == sizeof(data);
}

// The four texts, each the first floor(S / 2) - 1 characters of its S bytes.
// False (the texts not to be used) when any is missing, not a REG_SZ, or
// changes under the read; *outOfMemory when storage ran out.
bool ReadAffixTexts(StoreKey key, Text (&texts)[kAffixCount], bool* outOfMemory) {
  uint32_t sizes[kAffixCount] = {};
  for (int i = 0; i < kAffixCount; ++i) {
    uint32_t type = 0;
    StoreResult result = g_userStore.queryValue(key, kTextValues[i], &type, nullptr, &sizes[i]);
    if (result != StoreResult::Ok || type != kStoreString) return false;
  }
  for (int i = 0; i < kAffixCount; ++i) {
    // A unit for every byte (an odd size included) and one more, so the cut
    // below always lies inside the buffer.
    size_t units = sizes[i] / 2 + 1;
    OwnedBlock<char16_t> block = MakeBlock<char16_t>(units);
    if (block == nullptr) *outOfMemory = true;
    uint32_t type = 0, size = static_cast<uint32_t>(units * sizeof(char16_t));
    if (block == nullptr || g_userStore.queryValue(key, kTextValues[i], &type, block.get(), &size) != StoreResult::Ok ||
        type != kStoreString || size > units * sizeof(char16_t)) {
      return false;
    }
    size_t length = size / 2 >= 1 ? size / 2 - 1 : 0;
    block[length] = 0;
    texts[i] = Text::Adopt(block.release(), length);
  }
  return true;
}

// Collects the value names (as many as the key reported; one added meanwhile
// stays), then deletes them by name.
void DeleteAllValues(StoreKey key) {
  uint32_t subkeys = 0, longestSubkey = 0, values = 0, longestValueName = 0;
  if (g_userStore.queryInfo(key, &subkeys, &longestSubkey, &values, &longestValueName) != StoreResult::Ok) return;
  size_t width = static_cast<size_t>(longestValueName) + 1, slots = values;
  if (values == 0 || width > SIZE_MAX / slots) return;
  OwnedBlock<char16_t> table = MakeBlock<char16_t>(slots * width);
  OwnedBlock<bool> filled = MakeBlock<bool>(slots);
  if (table == nullptr || filled == nullptr) return;
  for (size_t index = 0; index < slots; ++index) filled[index] = false;
  for (size_t index = 0; index < slots; ++index) {
    uint32_t length = static_cast<uint32_t>(width);
    StoreResult result = g_userStore.enumValue(key, static_cast<uint32_t>(index), &table[index * width], &length);
    if (result == StoreResult::NoMoreItems) break;
    filled[index] = result == StoreResult::Ok;
  }
  for (size_t index = 0; index < slots; ++index) {
    if (filled[index]) g_userStore.deleteValue(key, &table[index * width]);
  }
}

// Empties and deletes the product key; true when the maker key then holds
// nothing else. The walk ends at the first failure, so it always ends. Names
// compare in either case, as the registry's: ours spelled otherwise is ours.
bool RemoveProductKey(StoreKey maker) {
  constexpr uint32_t kNameCapacity = 260;
  uint32_t subkeys = 0;
  bool productSeen = false;
  char16_t name[kNameCapacity];
  for (uint32_t index = 0;; ++index) {
    StoreResult result = g_userStore.enumKey(maker, index, name, kNameCapacity);
    if (result != StoreResult::Ok && result != StoreResult::MoreData) break;
    ++subkeys;
    uint32_t i = 0;  // name's length as far as it spells ours
    while (result == StoreResult::Ok && name[i] != 0 && FoldAscii(name[i]) == FoldAscii(kProductKey[i])) ++i;
    productSeen = productSeen || (result == StoreResult::Ok && FoldAscii(name[i]) == FoldAscii(kProductKey[i]));
  }
  if (productSeen) {
    if (OpenedKey product = OpenStoreKey(maker, kProductKey, StoreAccess::All)) DeleteAllValues(product.get());
    g_userStore.deleteKey(maker, kProductKey);
  }
  return subkeys == 0 || (subkeys == 1 && productSeen);
}

}  // namespace

uint32_t PackSettings(const ListingSettings& settings) {
  uint32_t word = (static_cast<uint32_t>(settings.pathForm) & 0xF) << 4;
  word |= (static_cast<uint32_t>(settings.itemFilter) & 0xF) << 8;
  for (int k = 0; k < 5; ++k) word |= uint32_t{settings.*kFlags[k]} << (12 + k);
  return word | (settings.separator == kSlash ? 1u << 17 : 0);
}

// A path form or item filter that no label can name is as invalid as a set
// low bit: the word is refused as a whole. Both enumerations count from 1.
bool UnpackSettings(uint32_t word, ListingSettings* settings) {
  uint32_t pathForm = (word >> 4) & 0xF, itemFilter = (word >> 8) & 0xF;
  if ((word & 0xF) != 0 || pathForm < 1 || pathForm > static_cast<uint32_t>(PathForm::Tree) || itemFilter < 1 ||
      itemFilter > static_cast<uint32_t>(ItemFilter::FoldersOnly)) {
    return false;
  }
  settings->pathForm = static_cast<PathForm>(pathForm);
  settings->itemFilter = static_cast<ItemFilter>(itemFilter);
  for (int k = 0; k < 5; ++k) settings->*kFlags[k] = (word >> (12 + k)) & 1;
  settings->separator = (word >> 17) & 1 ? kSlash : kBackslash;
  return true;
}

uint32_t PackWindowPos(int32_t left, int32_t top) {
  return (static_cast<uint32_t>(static_cast<uint16_t>(left)) << 16) | static_cast<uint16_t>(top);
}

// Signed halves, so that a window left of or above the primary monitor
// (negative coordinates) comes back where it was.
void UnpackWindowPos(uint32_t word, int32_t* left, int32_t* top) {
  *left = static_cast<int16_t>(static_cast<uint16_t>(word >> 16));
  *top = static_cast<int16_t>(static_cast<uint16_t>(word & 0xFFFF));
}

// Reads what is stored, each value by its own rule; nothing is applied here.
StoredSettings LoadStoredSettings() {
  StoredSettings stored;
  OpenedKey key = OpenStoreKey(nullptr, kProductKeyPath, StoreAccess::Read);
  if (!key) return stored;
  stored.keyFound = true;
  stored.settingValid = QueryWord(key.get(), kSettingValue, &stored.setting);
  stored.windowPosValid = QueryWord(key.get(), kWindowPosValue, &stored.windowPos);
  stored.textsValid = ReadAffixTexts(key.get(), stored.texts, &stored.outOfMemory);
  return stored;
}

bool SaveStoredSettings(uint32_t setting, uint32_t windowPos, const Text (&texts)[kAffixCount]) {
  StoreKey created = nullptr;
  if (g_userStore.createKey(nullptr, kProductKeyPath, StoreAccess::Write, &created) != StoreResult::Ok) return false;
  OpenedKey key(created);
  g_userStore.setValue(created, kSettingValue, kStoreDword, &setting, sizeof(setting));
  g_userStore.setValue(created, kWindowPosValue, kStoreDword, &windowPos, sizeof(windowPos));
  for (int i = 0; i < kAffixCount; ++i) {
    auto bytes = static_cast<uint32_t>((texts[i].length() + 1) * sizeof(char16_t));
    g_userStore.setValue(created, kTextValues[i], kStoreString, texts[i].get(), bytes);
  }
  return true;
}

// Others' keys below the maker or product key stay, and so do the keys that
// hold them. A maker key that cannot be opened is still asked to go.
void DeleteSavedSettings() {
  OpenedKey software = OpenStoreKey(nullptr, u"Software", StoreAccess::All);
  if (!software) return;
  bool makerEmpty = true;
  if (OpenedKey maker = OpenStoreKey(software.get(), kMakerKey, StoreAccess::All)) {
    makerEmpty = RemoveProductKey(maker.get());
  }
  if (makerEmpty) g_userStore.deleteKey(software.get(), kMakerKey);
}
