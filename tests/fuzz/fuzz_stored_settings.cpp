// Stored values of any type and size loaded with storage running out at a fuzzed allocation: nothing left
// allocated or open, the settings kept or exactly the stored word's; a save and a load give back what the
// load left; DEL removes the product key, and the maker key unless another program's key lives there.
#include <cstring>
#include "platform/memory.h"
#include "settings/settings_store.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/stand_ins.h"
#include "ui/stored_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char16_t* names[6] = {u"Setting", u"WindowPos", u"StrFF", u"StrFB", u"StrDF", u"StrDB"};
  const Control edits[4] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                            Control::FolderSuffixEdit};
  FuzzInput in{data, size};
  uint8_t present = in.Byte(), failAt = in.Byte() % 6;
  ResetStandIns();
  ResetListingSettings();
  UnpackSettings(uint32_t{in.Byte()} << 4, &g_settings);  // another start when the byte makes a valid word
  StoreKey key = nullptr;
  uint8_t kinds[6] = {};
  std::string bytes[6];
  if (present & 0x80) g_userStore.createKey(nullptr, u"Software\\Quillmoor\\Other", StoreAccess::All, &key);
  if (key != nullptr) g_userStore.closeKey(key);
  g_userStore.createKey(nullptr, kProductKeyPath, StoreAccess::All, &key);
  for (int i = 0; i < 6; ++i) {
    if (((present >> i) & 1) == 0) continue;
    kinds[i] = in.Byte() % 5;  // none, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD
    uint8_t n = in.Byte();     // most often small, up to 64 KB
    for (char& b : bytes[i] = std::string(n < 0xF0 ? n : (n - 0xEF) << 12, '\0')) b = char(in.Byte());
    g_userStore.setValue(key, names[i], kinds[i], bytes[i].data(), uint32_t(bytes[i].size()));
  }
  g_userStore.closeKey(key);
  ListingSettings expected = g_settings;
  AllocationStats before = GetAllocationStats();
  ArmAllocationFailure(failAt);
  LoadSettings();
  ArmAllocationFailure(0);
  uint32_t word = 0;
  std::memcpy(&word, bytes[0].data(), std::min<size_t>(bytes[0].size(), 4));
  bool wordStored = kinds[0] == kStoreDword && bytes[0].size() == 4;
  if (wordStored && GetAllocationStats().failures == before.failures) UnpackSettings(word, &expected);
  FUZZ_CHECK(PackSettings(g_settings) == PackSettings(expected) && OpenStoreKeys() == 0 &&
             GetAllocationStats().liveBlocks == before.liveBlocks);
  ListingSettings s = g_settings;
  std::u16string texts[4];
  for (int i = 0; i < 4; ++i) texts[i] = ControlText(edits[i]);
  SaveSettings();
  g_settings = {PathForm(int(s.pathForm) % 4 + 1), s.separator == u'/' ? u'\\' : u'/',
                ItemFilter(int(s.itemFilter) % 3 + 1), !s.extensionShown, !s.folderScan, !s.alwaysOnTop,
                !s.translucent, !s.compactLayout};
  for (Control edit : edits) SetControlTextForTest(edit, u"changed");
  LoadSettings();
  FUZZ_CHECK(PackSettings(g_settings) == PackSettings(s) && OpenStoreKeys() == 0);
  for (int i = 0; i < 4; ++i) FUZZ_CHECK(ControlText(edits[i]) == texts[i]);
  ArmAllocationFailure(failAt);  // DEL removes the key even when storage runs out
  DeleteSettings();
  ArmAllocationFailure(0);
  std::vector<std::u16string> left{u"software"};
  if (present & 0x80) left.insert(left.end(), {u"software\\quillmoor", u"software\\quillmoor\\other"});
  FUZZ_CHECK(StoreContents() == left && OpenStoreKeys() == 0 && GetAllocationStats().liveBlocks == before.liveBlocks);
  return 0;
}
