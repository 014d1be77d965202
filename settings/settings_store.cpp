#include "settings/settings_store.h"

#include <memory>
#include <utility>

#include "platform/ascii.h"

const char16_t kProductKeyPath[] = u"Software\\Quillmoor\\Dorrowin";

namespace {

constexpr char16_t kSoftwareKey[] = u"Software";
constexpr char16_t kMakerKey[] = u"Quillmoor";
constexpr char16_t kProductKey[] = u"Dorrowin";
constexpr char16_t kSettingValue[] = u"Setting";
constexpr char16_t kWindowPosValue[] = u"WindowPos";

// The four affix texts' value names, in the order they are read and written.
constexpr const char16_t* kTextValues[kAffixCount] = {u"StrFF", u"StrFB", u"StrDF", u"StrDB"};

// The "Setting" word's flags: bits 12 to 16, one a setting; the path form
// is in bits 4-7, the item filter in bits 8-11, the slash in bit 17.
struct FlagBit {
  bool ListingSettings::*member;
  int bit;
};
constexpr FlagBit kFlagBits[] = {{&ListingSettings::extensionShown, 12}, {&ListingSettings::folderScan, 13},
                                 {&ListingSettings::translucent, 14},    {&ListingSettings::alwaysOnTop, 15},
                                 {&ListingSettings::compactLayout, 16}};

// The name buffer of the subkey enumeration, in characters.
constexpr uint32_t kKeyNameCapacity = 260;

// An open key, closed when its owner ends.
struct StoreKeyClose {
  void operator()(StoreKey key) const { g_userStore.closeKey(key); }
};
using OpenedKey = std::unique_ptr<void, StoreKeyClose>;

OpenedKey OpenStoreKey(StoreKey parent, const char16_t* path, StoreAccess access) {
  StoreKey key = nullptr;
  if (g_userStore.openKey(parent, path, access, &key) != StoreResult::Ok) return OpenedKey();
  return OpenedKey(key);
}

// A 4-byte word value; false unless it exists as a REG_DWORD of 4 bytes.
bool QueryWord(StoreKey key, const char16_t* name, uint32_t* word) {
  uint32_t data = 0, type = 0, size = sizeof(data);
  StoreResult result = g_userStore.queryValue(key, name, &type, &data, &size);
  *word = data;
  return result == StoreResult::Ok && type == kStoreDword && size == sizeof(data);
}

// Reads the four texts whole into texts[]. The loaded text is the first
// floor(S / 2) - 1 characters of a value of S bytes, the last stored
// character being taken as the terminator. Returns false and leaves every
// slot null when any value is missing or not a REG_SZ, or when it changes
// under the read; *outOfMemory tells the caller that storage ran out.
bool ReadAffixTexts(StoreKey key, Text (&texts)[kAffixCount], bool* outOfMemory) {
  uint32_t sizes[kAffixCount] = {};
  for (int i = 0; i < kAffixCount; ++i) {
    uint32_t type = 0;
    if (g_userStore.queryValue(key, kTextValues[i], &type, nullptr, &sizes[i]) != StoreResult::Ok ||
        type != kStoreString) {
      return false;
    }
  }
  Text read[kAffixCount];
  for (int i = 0; i < kAffixCount; ++i) {
    // Units enough for every byte of the value (an odd size included) and
    // one more, so the cut below always lies inside the buffer.
    size_t units = sizes[i] / 2 + 1;
    OwnedBlock<char16_t> block = MakeBlock<char16_t>(units);
    if (block == nullptr) {
      *outOfMemory = true;
      return false;
    }
    uint32_t type = 0;
    uint32_t size = static_cast<uint32_t>(units * sizeof(char16_t));
    if (g_userStore.queryValue(key, kTextValues[i], &type, block.get(), &size) != StoreResult::Ok ||
        type != kStoreString || size > units * sizeof(char16_t)) {
      return false;
    }
    size_t length = size / 2 >= 1 ? size / 2 - 1 : 0;
    block[length] = 0;
    read[i] = Text::Adopt(block.release(), length);
  }
  for (int i = 0; i < kAffixCount; ++i) texts[i] = std::move(read[i]);
  return true;
}

// Key names compare as the registry compares them, without regard to case:
// a product key spelled in other letters is still ours to delete.
bool SameName(const char16_t* a, const char16_t* b) {
  uint32_t i = 0;
  while (a[i] != 0 && FoldAscii(a[i]) == FoldAscii(b[i])) ++i;
  return FoldAscii(a[i]) == FoldAscii(b[i]);
}

}  // namespace

uint32_t PackSettings(const ListingSettings& settings) {
  uint32_t word = (static_cast<uint32_t>(settings.pathForm) & 0xF) << 4;
  word |= (static_cast<uint32_t>(settings.itemFilter) & 0xF) << 8;
  for (const FlagBit& flag : kFlagBits) word |= uint32_t{settings.*flag.member} << flag.bit;
  return word | (settings.separator == kSlash ? 1u << 17 : 0);
}

// A path form or item filter that no label can name is as invalid as a set
// low bit: the word is refused as a whole.
bool UnpackSettings(uint32_t word, ListingSettings* settings) {
  uint32_t pathForm = (word >> 4) & 0xF;
  uint32_t itemFilter = (word >> 8) & 0xF;
  // Both enumerations count from 1 to their last member.
  bool named = pathForm >= 1 && pathForm <= static_cast<uint32_t>(PathForm::Tree) && itemFilter >= 1 &&
               itemFilter <= static_cast<uint32_t>(ItemFilter::FoldersOnly);
  if ((word & 0xF) != 0 || !named) return false;
  settings->pathForm = static_cast<PathForm>(pathForm);
  settings->itemFilter = static_cast<ItemFilter>(itemFilter);
  for (const FlagBit& flag : kFlagBits) settings->*flag.member = (word >> flag.bit) & 1;
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

namespace {

// Collects every value name first, then deletes them by name. The table
// has as many slots as the key reported values; a value added meanwhile is
// not collected, and a slot whose name could not be read stays empty.
void DeleteAllValues(StoreKey key) {
  uint32_t subkeys = 0, longestSubkey = 0, values = 0, longestValueName = 0;
  if (g_userStore.queryInfo(key, &subkeys, &longestSubkey, &values, &longestValueName) != StoreResult::Ok) return;
  if (values == 0) return;
  size_t width = static_cast<size_t>(longestValueName) + 1;
  size_t slots = values;
  if (width > SIZE_MAX / slots) return;
  OwnedBlock<char16_t> table = MakeBlock<char16_t>(slots * width);
  OwnedBlock<bool> filled = MakeBlock<bool>(slots);
  if (table == nullptr || filled == nullptr) return;
  for (size_t index = 0; index < slots; ++index) {
    uint32_t length = static_cast<uint32_t>(width);
    StoreResult result = g_userStore.enumValue(key, static_cast<uint32_t>(index), &table[index * width], &length);
    if (result == StoreResult::NoMoreItems) {
      for (; index < slots; ++index) filled[index] = false;
      break;
    }
    filled[index] = result == StoreResult::Ok;
  }
  for (size_t index = 0; index < slots; ++index) {
    if (filled[index]) g_userStore.deleteValue(key, &table[index * width]);
  }
}

// Empties and deletes the product key below the maker key; true when the
// maker key then holds nothing else. The enumeration ends at its end or at
// the first failure, whichever comes first, so it always ends.
bool RemoveProductKey(StoreKey maker) {
  uint32_t subkeys = 0;
  bool productSeen = false;
  char16_t name[kKeyNameCapacity];
  for (uint32_t index = 0;; ++index) {
    StoreResult result = g_userStore.enumKey(maker, index, name, kKeyNameCapacity);
    if (result == StoreResult::MoreData) {
      ++subkeys;
      continue;
    }
    if (result != StoreResult::Ok) break;
    ++subkeys;
    if (SameName(name, kProductKey)) productSeen = true;
  }
  if (productSeen) {
    if (OpenedKey product = OpenStoreKey(maker, kProductKey, StoreAccess::All)) DeleteAllValues(product.get());
    g_userStore.deleteKey(maker, kProductKey);
  }
  return subkeys == 0 || (subkeys == 1 && productSeen);
}

}  // namespace

// Keys that something else put below the maker or product key are left
// alone; the registry then keeps the keys that still hold them. A maker key
// that cannot be opened is still asked to go.
void DeleteSavedSettings() {
  OpenedKey software = OpenStoreKey(nullptr, kSoftwareKey, StoreAccess::All);
  if (!software) return;
  bool makerEmpty = true;
  if (OpenedKey maker = OpenStoreKey(software.get(), kMakerKey, StoreAccess::All)) {
    makerEmpty = RemoveProductKey(maker.get());
  }
  if (makerEmpty) g_userStore.deleteKey(software.get(), kMakerKey);
}
