// Stored values read back by LoadStoredSettings and removed by DEL. A value of the right size but the wrong type is
// invalid, the rest are read: a REG_BINARY word, or a REG_DWORD where a text belongs, stored so or turning so once the
// texts before it were read; nothing is left allocated, and a type refused at first sight takes no storage (it is no
// shortage of storage). A window left of and above the primary monitor comes back there. DEL leaves a key named as
// ours but its first letter, with its value.
#include "tests/support/test_support.h"

TEST(StoredValues, EachIsReadByItsOwnTypeAndSize) {
  static UserStoreApi store = g_userStore;
  static std::u16string turning;  // the text value that becomes a REG_DWORD as it is read
  g_userStore.queryValue = [](StoreKey key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
    if (data != nullptr && name == turning) store.setValue(key, name, kStoreDword, "\x10\x31\0\0", 4);
    return store.queryValue(key, name, type, data, size);
  };
  const Text texts[kAffixCount] = {Text::Copy(u"<", 1), Text::Copy(u">", 1), Text::Copy(u"[", 1),
                                        Text::Copy(u"]", 1)};
  for (std::u16string name : {u"Setting", u"WindowPos", u"StrFF", u"StrFB", u"StrDF", u"StrDB"}) {
    bool text = name.starts_with(u"Str");
    for (int turns = 0; turns <= int(text); ++turns) {  // a word is stored wrong only
      SCOPED_TRACE(Utf8(name) + (turns ? " turning" : " stored"));
      ResetStandIns();
      StoreKey key = nullptr;
      g_userStore.createKey(nullptr, u"Software\\Quillmoor\\Xorrowin", StoreAccess::All, &key);
      g_userStore.setValue(key, u"Setting", kStoreDword, "\1\0\0\0", 4);
      g_userStore.closeKey(key);
      ASSERT_TRUE(SaveStoredSettings(0x3110, 0xFED4FFEC, texts));  // the window at -300, -20
      g_userStore.openKey(nullptr, kProductKeyPath, StoreAccess::All, &key);
      if (!turns) g_userStore.setValue(key, name.c_str(), text ? kStoreDword : kStoreBinary, "\x10\x31\0\0", 4);
      g_userStore.closeKey(key);
      turning = turns ? name : u"";
      int64_t live = GetAllocationStats().liveBlocks;
      StoredSettings stored;
      Failing(text && !turns, [&] { stored = LoadStoredSettings(); });  // the first allocation fails
      EXPECT_EQ(stored.settingValid, name != u"Setting");
      EXPECT_EQ(stored.windowPosValid, name != u"WindowPos");
      EXPECT_EQ(stored.textsValid, !text);
      EXPECT_FALSE(stored.outOfMemory);
      EXPECT_EQ(GetAllocationStats().liveBlocks, live + (text ? 0 : kAffixCount));
      int32_t left = 0, top = 0;
      if (stored.windowPosValid) UnpackWindowPos(stored.windowPos, &left, &top);
      EXPECT_EQ(std::pair(left, top), name == u"WindowPos" ? std::pair(0, 0) : std::pair(-300, -20));
      stored = StoredSettings{};
      DeleteSavedSettings();
      EXPECT_EQ(StoreContents(), (std::vector<std::u16string>{u"software", u"software\\quillmoor",
                                                              u"software\\quillmoor\\xorrowin", u"Setting=4:01000000"}));
    }
  }
  g_userStore = store;
}
