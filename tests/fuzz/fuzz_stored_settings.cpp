// Any stored values loaded, an allocation failing: nothing left allocated or open, the settings kept or the word's;
// a save and a load give them back; DEL removes the product key, and the maker key unless another key lives there.
#include "tests/fuzz/fuzz_input.h"
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char16_t* names[6] = {u"Setting", u"WindowPos", u"StrFF", u"StrFB", u"StrDF", u"StrDB"};
  const Control edits[4] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                            Control::FolderSuffixEdit};
  auto texts = [&] { std::vector<std::u16string> t; for (Control e : edits) t.push_back(ControlText(e)); return t; };
  FuzzInput in{data, size};
  uint8_t present = in.Byte(), failAt = in.Byte() % 6, types[6] = {};
  std::string raw[6];
  StoreKey key = nullptr;
  ResetStandIns();
  UnpackSettings(uint32_t{in.Byte()} << 4, &g_app.settings);  // another start when the byte makes a valid word
  if (present & 0x80) g_userStore.createKey(nullptr, u"Software\\Quillmoor\\Other", StoreAccess::All, &key);
  if (key != nullptr) g_userStore.closeKey(key);
  g_userStore.createKey(nullptr, kProductKeyPath, StoreAccess::All, &key);
  for (int i = 0; i < 6; ++i) if (present >> i & 1) {
    types[i] = in.Byte() % 5;  // none, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD
    uint8_t n = in.Byte();     // most often small, up to 64 KB
    for (char& b : raw[i] = std::string(n < 0xF0 ? n : (n - 0xEF) << 12, '\0')) b = char(in.Byte());
    g_userStore.setValue(key, names[i], types[i], raw[i].data(), uint32_t(raw[i].size()));
  }
  g_userStore.closeKey(key);
  // Kept, or when storage lasted a valid word stored as a REG_DWORD of 4 bytes: bits 0-3 clear, a path form of 1-4 in
  // bits 4-7, an item filter of 1-3 in bits 8-11; then packed again it is bits 4-17 of the stored word.
  uint32_t kept = PackSettings(g_app.settings), w = 0;
  AllocationStats before = GetAllocationStats();
  Failing(failAt, [] { LoadSettings(&g_app); });
  if (types[0] == kStoreDword && raw[0].size() == 4) raw[0].copy(reinterpret_cast<char*>(&w), 4);
  bool valid = (w & 0xF) == 0 && (w >> 4 & 0xF) - 1 < 4u && (w >> 8 & 0xF) - 1 < 3u;
  valid = valid && before.failures == GetAllocationStats().failures;
  FUZZ_CHECK(PackSettings(g_app.settings) == (valid ? w & 0x3FFF0 : kept) && OpenStoreKeys() == 0 &&
             GetAllocationStats().liveBlocks == before.liveBlocks);
  ListingSettings s = g_app.settings, &g = g_app.settings;
  std::vector<std::u16string> saved = texts();
  SaveSettings(&g_app);
  g = {PathForm(5 - int(s.pathForm)), s.separator == u'/' ? u'\\' : u'/', ItemFilter(int(s.itemFilter) % 3 + 1),
       !s.extensionShown, !s.folderScan, !s.alwaysOnTop, !s.translucent, !s.compactLayout};
  for (Control edit : edits) SetControlTextForTest(edit, u"changed");
  LoadSettings(&g_app);
  FUZZ_CHECK(PackSettings(g_app.settings) == PackSettings(s) && texts() == saved && OpenStoreKeys() == 0);
  Failing(failAt, [] { DeleteSettings(&g_app); });
  std::vector<std::u16string> left{u"software", u"software\\quillmoor", u"software\\quillmoor\\other"};
  left.resize(present & 0x80 ? 3 : 1);
  FUZZ_CHECK(StoreContents() == left && OpenStoreKeys() == 0 && GetAllocationStats().liveBlocks == before.liveBlocks);
  return 0;
}
