// Saving, loading and deleting the stored settings, on the real per-user
// store (the registry under Wine; the in-memory store natively).

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "job/job_worker.h"
#include "platform/memory.h"
#include "platform/user_store.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "settings/setting_toggles.h"
#include "settings/settings_store.h"
#include "tests/support/store_snapshot.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

const std::u16string kProduct = u"Software\\Quillmoor\\Dorrowin";
const std::u16string kMaker = u"Software\\Quillmoor";

constexpr Control kSettingLabels[] = {Control::PathFormLabel, Control::SeparatorLabel, Control::ItemsLabel,
                                      Control::ExtensionLabel, Control::FolderScanLabel, Control::TopmostLabel,
                                      Control::TranslucentLabel};
constexpr Control kEdits[] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                              Control::FolderSuffixEdit};

// Keys opened through the store and not yet closed.
std::atomic<int> s_openKeys{0};
UserStoreApi s_realStore;

StoreResult CountingOpen(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  StoreResult result = s_realStore.openKey(parent, path, access, key);
  if (result == StoreResult::Ok) s_openKeys.fetch_add(1);
  return result;
}
StoreResult CountingCreate(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  StoreResult result = s_realStore.createKey(parent, path, access, key);
  if (result == StoreResult::Ok) s_openKeys.fetch_add(1);
  return result;
}
void CountingClose(StoreKey key) {
  s_openKeys.fetch_sub(1);
  s_realStore.closeKey(key);
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedWindow_ = g_window;
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    SetEdits(u"", u"", u"", u"");
    ArmAllocationFailure(0);
    liveBlocks_ = GetAllocationStats().liveBlocks;
    s_realStore = g_userStore;
    s_openKeys.store(0);
    g_userStore.openKey = CountingOpen;
    g_userStore.createKey = CountingCreate;
    g_userStore.closeKey = CountingClose;
  }
  void TearDown() override {
    g_userStore = s_realStore;
    EXPECT_EQ(s_openKeys.load(), 0) << "a key was left open";
    ArmAllocationFailure(0);
    EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks_) << "storage left allocated";
    g_window = savedWindow_;
    ResetListingSettings();
    RestoreWindowProbe();
  }

  static void SetEdits(const std::u16string& a, const std::u16string& b, const std::u16string& c,
                       const std::u16string& d) {
    g_window.setControlText(Control::FilePrefixEdit, a.c_str());
    g_window.setControlText(Control::FileSuffixEdit, b.c_str());
    g_window.setControlText(Control::FolderPrefixEdit, c.c_str());
    g_window.setControlText(Control::FolderSuffixEdit, d.c_str());
  }
  static std::vector<std::u16string> Edits() {
    std::vector<std::u16string> texts;
    for (Control edit : kEdits) texts.push_back(ControlTextNow(edit));
    return texts;
  }
  static uint32_t Word(const std::u16string& name) {
    StoredValue value = ReadStoreValue(kProduct, name);
    EXPECT_TRUE(value.exists) << Utf8(name);
    EXPECT_EQ(value.type, kStoreDword) << Utf8(name);
    EXPECT_EQ(value.data.size(), 4u) << Utf8(name);
    uint32_t word = 0;
    if (value.data.size() == 4) std::memcpy(&word, value.data.data(), 4);
    return word;
  }
  static void StoreAffixes(const std::u16string& a, const std::u16string& b, const std::u16string& c,
                           const std::u16string& d) {
    WriteStoreString(kProduct, u"StrFF", a);
    WriteStoreString(kProduct, u"StrFB", b);
    WriteStoreString(kProduct, u"StrDF", c);
    WriteStoreString(kProduct, u"StrDB", d);
  }
  // Settings in memory that differ from every stored value the tests use.
  static void UnusualSettings() {
    g_settings.pathForm = PathForm::NameOnly;
    g_settings.itemFilter = ItemFilter::FilesOnly;
    g_settings.separator = kSlash;
    g_settings.extensionShown = false;
  }
  static void ExpectUnusualSettingsKept() {
    EXPECT_EQ(g_settings.pathForm, PathForm::NameOnly);
    EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesOnly);
    EXPECT_EQ(g_settings.separator, kSlash);
    EXPECT_FALSE(g_settings.extensionShown);
  }
  // Every setting shows a label naming its value in memory.
  static void ExpectAllLabelsTrue() {
    const char16_t* pathForms[] = {u"", u" パス：絶対パス", u" パス：相対パス", u" パス：なし", u" パス：ツリー"};
    const char16_t* filters[] = {u"", u" 項目：ファイルとフォルダ", u" 項目：ファイルのみ", u" 項目：フォルダのみ"};
    ASSERT_TRUE(IsPathForm(static_cast<int32_t>(g_settings.pathForm)));
    ASSERT_TRUE(IsItemFilter(static_cast<int32_t>(g_settings.itemFilter)));
    EXPECT_EQ(ControlTextNow(Control::PathFormLabel), pathForms[static_cast<int>(g_settings.pathForm)]);
    EXPECT_EQ(ControlTextNow(Control::ItemsLabel), filters[static_cast<int>(g_settings.itemFilter)]);
    EXPECT_EQ(ControlTextNow(Control::SeparatorLabel),
              g_settings.separator == kSlash ? u" パス区切り文字：/" : u" パス区切り文字：\\");
    EXPECT_EQ(ControlTextNow(Control::ExtensionLabel), g_settings.extensionShown ? u" 拡張子：あり" : u" 拡張子：なし");
    EXPECT_EQ(ControlTextNow(Control::FolderScanLabel),
              g_settings.folderScan ? u" フォルダ内検索：する" : u" フォルダ内検索：しない");
    EXPECT_EQ(ControlTextNow(Control::TopmostLabel),
              g_settings.alwaysOnTop ? u" 常に手前に表示：ON" : u" 常に手前に表示：OFF");
    EXPECT_EQ(ControlTextNow(Control::TranslucentLabel), g_settings.translucent ? u" 透過表示：ON" : u" 透過表示：OFF");
    EXPECT_EQ(WindowTopmostNow(), g_settings.alwaysOnTop);
    EXPECT_EQ(WindowAlphaNow(), g_settings.translucent ? 192 : 255);
    EXPECT_EQ(WindowTitleNow(), g_settings.compactLayout.load() ? u"Dorrowin" : u"Dorrowin v1.04");
  }

  StoreSnapshot snapshot_;

 private:
  WindowApi savedWindow_;
  int64_t liveBlocks_ = 0;
};

// Saving

TEST_F(SettingsStoreTest, SavingTheDefaultsWritesEveryValueInItsFormat) {
  SetEdits(u"[", u"]", u"", u"フォルダ：");
  SaveSettings();
  EXPECT_EQ(Word(u"Setting"), 0x1B120u);
  WindowRect rect = g_window.windowRect();
  EXPECT_EQ(Word(u"WindowPos"), PackWindowPos(rect.left, rect.top));
  StoredValue ff = ReadStoreValue(kProduct, u"StrFF");
  EXPECT_EQ(ff.type, kStoreString);
  EXPECT_EQ(StoredUnits(ff), std::u16string(u"[\0", 2));
  StoredValue df = ReadStoreValue(kProduct, u"StrDF");
  EXPECT_EQ(df.type, kStoreString);
  EXPECT_EQ(df.data.size(), 2u) << "an empty box is its terminator";
  EXPECT_EQ(StoredUnits(ReadStoreValue(kProduct, u"StrDB")), std::u16string(u"フォルダ：\0", 6));
  EXPECT_TRUE(ControlEnabledNow(Control::DeleteButton));
}

TEST_F(SettingsStoreTest, SavingWithNothingStoredCreatesBothKeysAndEnablesDelete) {
  g_window.enableControl(Control::DeleteButton, false);
  ASSERT_FALSE(StoreKeyExists(kMaker));
  SaveSettings();
  EXPECT_TRUE(StoreKeyExists(kProduct));
  EXPECT_TRUE(ControlEnabledNow(Control::DeleteButton));
}

TEST_F(SettingsStoreTest, EverySettingHasItsBit) {
  g_settings.pathForm = PathForm::Tree;
  g_settings.itemFilter = ItemFilter::FoldersOnly;
  g_settings.extensionShown = false;
  g_settings.folderScan = false;
  g_settings.translucent = true;
  g_settings.alwaysOnTop = false;
  g_settings.compactLayout.store(false);
  g_settings.separator = kSlash;
  EXPECT_EQ(PackSettings(), 0x40u | 0x300u | (1u << 14) | (1u << 17));
  ResetListingSettings();
  g_settings.alwaysOnTop = false;
  EXPECT_EQ(PackSettings(), 0x1B120u & ~(1u << 15));
}

TEST_F(SettingsStoreTest, APlaceAboveOrLeftOfTheScreenIsStoredAsLow16Bits) {
  EXPECT_EQ(PackWindowPos(100, 50), 6553650u);
  EXPECT_EQ(PackWindowPos(-300, -20), 0xFED4FFECu);
  int32_t left = 0, top = 0;
  UnpackWindowPos(0xFED4FFECu, &left, &top);
  EXPECT_EQ(left, -300);
  EXPECT_EQ(top, -20);
  UnpackWindowPos(6553650u, &left, &top);
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, 50);

  g_window.moveWindow(-300, -20, 86, 98, false);
  SaveSettings();
  EXPECT_EQ(Word(u"WindowPos"), 0xFED4FFECu);
}

TEST_F(SettingsStoreTest, NoKeyCanBeHadNothingIsWrittenAndDeleteKeepsItsState) {
  g_window.enableControl(Control::DeleteButton, false);
  g_userStore.createKey = [](StoreKey, const char16_t*, StoreAccess, StoreKey* key) {
    *key = nullptr;
    return StoreResult::Denied;
  };
  SaveSettings();
  EXPECT_FALSE(StoreKeyExists(kMaker));
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
}

TEST_F(SettingsStoreTest, StorageExhaustedWhileReadingTheBoxesWritesNothing) {
  g_window.enableControl(Control::DeleteButton, false);
  for (uint64_t k = 1; k <= 4; ++k) {
    ArmAllocationFailure(k);
    SaveSettings();
    ArmAllocationFailure(0);
    EXPECT_FALSE(StoreKeyExists(kMaker)) << "allocation " << k;
    EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton)) << "allocation " << k;
  }
}

// Loading

TEST_F(SettingsStoreTest, LoadingWithNothingStoredShowsTheDefaultsAndDisablesDelete) {
  LoadSettings();
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
  EXPECT_EQ(g_settings.pathForm, PathForm::Relative);
  EXPECT_TRUE(g_settings.compactLayout.load());
  ExpectAllLabelsTrue();
  for (Control label : kSettingLabels) {
    std::vector<std::u16string> writes = TextWritesTo(label);
    ASSERT_EQ(writes.size(), 2u) << static_cast<int>(label);
    EXPECT_EQ(writes[0], kLabelBlank);
  }
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"待機中");
}

TEST_F(SettingsStoreTest, LoadingAppliesEveryStoredSetting) {
  // Tree, FoldersOnly, no extensions, no scan, translucent, not on top,
  // full layout, slash; bits 18-31 do not matter.
  WriteStoreWord(kProduct, u"Setting", 0xFFFC0000u | 0x40u | 0x300u | (1u << 14) | (1u << 17));
  LoadSettings();
  EXPECT_EQ(g_settings.pathForm, PathForm::Tree);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FoldersOnly);
  EXPECT_FALSE(g_settings.extensionShown);
  EXPECT_FALSE(g_settings.folderScan);
  EXPECT_TRUE(g_settings.translucent);
  EXPECT_FALSE(g_settings.alwaysOnTop);
  EXPECT_FALSE(g_settings.compactLayout.load());
  EXPECT_EQ(g_settings.separator, kSlash);
  ExpectAllLabelsTrue();
  EXPECT_TRUE(ControlEnabledNow(Control::DeleteButton)) << "the key exists";
}

TEST_F(SettingsStoreTest, SaveThenLoadGivesBackWhatWasSaved) {
  g_settings.pathForm = PathForm::Absolute;
  g_settings.translucent = true;
  SetEdits(u"- ", u";", u"<", u">");
  SaveSettings();
  ResetListingSettings();
  SetEdits(u"", u"", u"", u"");
  LoadSettings();
  EXPECT_EQ(g_settings.pathForm, PathForm::Absolute);
  EXPECT_TRUE(g_settings.translucent);
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"- ", u";", u"<", u">"}));
  ExpectAllLabelsTrue();
}

TEST_F(SettingsStoreTest, InvalidSettingWordsAreRefusedAsAWholeAndEveryLabelIsStillWritten) {
  struct Case {
    const char* what;
    uint32_t type;
    std::vector<unsigned char> bytes;
  };
  auto word = [](uint32_t value) {
    std::vector<unsigned char> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
  };
  std::vector<unsigned char> eight = word(0x1B120);
  eight.resize(8, 0);
  std::vector<unsigned char> two = word(0x1B120);
  two.resize(2);
  const Case cases[] = {
      {"bit 0 set", kStoreDword, word(0x1B121)},
      {"bit 3 set", kStoreDword, word(0x1B128)},
      {"REG_BINARY", kStoreBinary, word(0x1B120)},
      {"8 bytes", kStoreDword, eight},
      {"2 bytes", kStoreDword, two},
      {"path form 0", kStoreDword, word(0x1B100)},
      {"path form 5", kStoreDword, word(0x1B150)},
      {"path form 15", kStoreDword, word(0x1B1F0)},
      {"item filter 0", kStoreDword, word(0x1B020)},
      {"item filter 4", kStoreDword, word(0x1B420)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveStoreTree(kMaker);
    WriteStoreValue(kProduct, u"Setting", c.type, c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
    ResetListingSettings();
    UnusualSettings();
    ResetWindowProbe();
    LoadSettings();
    ExpectUnusualSettingsKept();
    ExpectAllLabelsTrue();
  }
}

TEST_F(SettingsStoreTest, AStoredPlaceIsAppliedBeforeTheFit) {
  WriteStoreWord(kProduct, u"WindowPos", 6553650u);
  LoadSettings();
  WindowRect work = g_window.workArea();
  WindowRect r = g_window.windowRect();
  EXPECT_EQ(r.left, 100 < work.left ? work.left : 100);
  EXPECT_EQ(r.top, 50 < work.top ? work.top : 50);
  int32_t width = 0, height = 0;
  g_window.outerSize(80, 70, &width, &height);
  EXPECT_EQ(r.right - r.left, width);
}

TEST_F(SettingsStoreTest, APlaceLeftOfAndAboveTheScreenReadsAsNegative) {
  // As unsigned numbers these halves would put the window far right and
  // below, and the fit would pull it into the bottom-right corner.
  WriteStoreWord(kProduct, u"WindowPos", 0xFED4FFECu);
  LoadSettings();
  WindowRect work = g_window.workArea();
  WindowRect r = g_window.windowRect();
  EXPECT_EQ(r.left, work.left < -300 ? -300 : work.left);
  EXPECT_EQ(r.top, work.top < -20 ? -20 : work.top);
}

TEST_F(SettingsStoreTest, AnInvalidPlaceIsIgnored) {
  g_window.moveWindow(120, 110, 50, 50, false);
  uint64_t eight = 6553650u;
  WriteStoreValue(kProduct, u"WindowPos", kStoreDword, &eight, 8);
  LoadSettings();
  EXPECT_EQ(g_window.windowRect().left, 120);
  EXPECT_EQ(g_window.windowRect().top, 110);
}

TEST_F(SettingsStoreTest, TheFourTextsAreAppliedTogetherOrNotAtAll) {
  SetEdits(u"a", u"b", u"c", u"d");
  StoreAffixes(u"1", u"2", u"3", u"4");
  LoadSettings();
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"1", u"2", u"3", u"4"}));

  StoreKey key = nullptr;
  ASSERT_EQ(g_userStore.openKey(nullptr, kProduct.c_str(), StoreAccess::All, &key), StoreResult::Ok);
  g_userStore.deleteValue(key, u"StrDB");
  g_userStore.closeKey(key);
  SetEdits(u"a", u"b", u"c", u"d");
  LoadSettings();
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"})) << "StrDB missing";

  WriteStoreValue(kProduct, u"StrDB", kStoreExpandString, u"4", 4);
  LoadSettings();
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"})) << "StrDB a REG_EXPAND_SZ";

  WriteStoreValue(kProduct, u"StrFF", kStoreBinary, u"4", 4);
  WriteStoreString(kProduct, u"StrDB", u"4");
  LoadSettings();
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"})) << "StrFF a REG_BINARY";
}

TEST_F(SettingsStoreTest, TextLengthsComeFromTheByteSize) {
  StoreAffixes(u"", u"", u"", u"");
  // The registry adds a terminator that the size leaves out when one follows
  // in memory; the characters after these texts are not zero.
  WriteStoreValue(kProduct, u"StrFF", kStoreString, u"abcX", 6);  // no terminator: "ab"
  WriteStoreValue(kProduct, u"StrFB", kStoreString, u"xyz", 5);   // odd size: "x"
  WriteStoreValue(kProduct, u"StrDF", kStoreString, nullptr, 0);  // 0 bytes: empty
  WriteStoreValue(kProduct, u"StrDB", kStoreString, u"qq", 1);    // 1 byte: empty
  SetEdits(u"a", u"b", u"c", u"d");
  LoadSettings();
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"ab", u"x", u"", u""}));

  StoreAffixes(u"", u"long text with more than a few units", std::u16string(u"mid\0dle", 7), u"");
  LoadSettings();
  EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"", u"long text with more than a few units", u"mid", u""}));
}

TEST_F(SettingsStoreTest, StorageExhaustedWhileReadingTheTextsEndsTheLoadAtOnce) {
  WriteStoreWord(kProduct, u"Setting", 0x1B120u & ~(1u << 16));
  WriteStoreWord(kProduct, u"WindowPos", 6553650u);
  StoreAffixes(u"1", u"2", u"3", u"4");
  for (uint64_t k = 1; k <= 4; ++k) {
    SCOPED_TRACE(k);
    ResetWindowProbe();
    ResetListingSettings();
    SetEdits(u"a", u"b", u"c", u"d");
    ArmAllocationFailure(k);
    LoadSettings();
    ArmAllocationFailure(0);
    EXPECT_EQ(Edits(), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
    EXPECT_TRUE(g_settings.compactLayout.load()) << "the stored settings were not applied";
    for (Control label : kSettingLabels) EXPECT_TRUE(TextWritesTo(label).empty());
    EXPECT_EQ(g_window.windowRect().left, 0) << "the stored place was not applied";
    EXPECT_TRUE(WindowTitleNow().empty()) << "the layout was not switched";
  }
}

// Deleting

TEST_F(SettingsStoreTest, DeletingRemovesTheProductAndAnOtherwiseEmptyMakerKey) {
  SaveSettings();
  DeleteSavedSettings();
  EXPECT_FALSE(StoreKeyExists(kMaker));
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
}

TEST_F(SettingsStoreTest, DeletingKeepsAMakerKeyThatHoldsAnotherProduct) {
  SaveSettings();
  WriteStoreWord(kMaker + u"\\Other", u"Keep", 1);
  DeleteSavedSettings();
  EXPECT_FALSE(StoreKeyExists(kProduct));
  EXPECT_EQ(StoreSubkeys(kMaker), (std::vector<std::u16string>{u"Other"}));
  EXPECT_TRUE(ReadStoreValue(kMaker + u"\\Other", u"Keep").exists);
}

TEST_F(SettingsStoreTest, DeletingWithNothingStoredChangesNothing) {
  DeleteSavedSettings();
  EXPECT_FALSE(StoreKeyExists(kMaker));
  EXPECT_TRUE(StoreKeyExists(u"Software"));
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
}

TEST_F(SettingsStoreTest, DeletingRemovesAnEmptyMakerKey) {
  CreateStoreKey(kMaker);
  DeleteSavedSettings();
  EXPECT_FALSE(StoreKeyExists(kMaker));
}

TEST_F(SettingsStoreTest, AProductKeyOfAnotherCaseIsNotTakenForOurs) {
  CreateStoreKey(kMaker + u"\\DORROWIN");
  WriteStoreWord(kMaker + u"\\DORROWIN", u"Setting", 1);
  DeleteSavedSettings();
  EXPECT_TRUE(ReadStoreValue(kMaker + u"\\DORROWIN", u"Setting").exists);
  EXPECT_TRUE(StoreKeyExists(kMaker));
}

TEST_F(SettingsStoreTest, SubkeysSomethingElsePutUnderTheProductKeyAreLeftAlone) {
  SaveSettings();
  WriteStoreWord(kProduct + u"\\Plugin", u"Keep", 7);
  DeleteSavedSettings();
  EXPECT_TRUE(StoreValueNames(kProduct).empty()) << "our values are gone";
  EXPECT_TRUE(ReadStoreValue(kProduct + u"\\Plugin", u"Keep").exists);
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
}

TEST_F(SettingsStoreTest, DeleteAllValuesRemovesEveryValueOfAKey) {
  for (int i = 0; i < 40; ++i) {
    std::u16string name = u"value-" + std::u16string(static_cast<size_t>(i), u'x');
    WriteStoreWord(kProduct, name, static_cast<uint32_t>(i));
  }
  WriteStoreValue(kProduct, u"", kStoreString, u"default", 16);
  StoreKey key = nullptr;
  ASSERT_EQ(g_userStore.openKey(nullptr, kProduct.c_str(), StoreAccess::All, &key), StoreResult::Ok);
  DeleteAllValues(key);
  g_userStore.closeKey(key);
  EXPECT_TRUE(StoreValueNames(kProduct).empty());
  EXPECT_TRUE(StoreKeyExists(kProduct));
}

TEST_F(SettingsStoreTest, DeleteAllValuesWithoutStorageDeletesNothing) {
  SaveSettings();
  StoreKey key = nullptr;
  ASSERT_EQ(g_userStore.openKey(nullptr, kProduct.c_str(), StoreAccess::All, &key), StoreResult::Ok);
  ArmAllocationFailure(1);
  DeleteAllValues(key);
  ArmAllocationFailure(0);
  g_userStore.closeKey(key);
  EXPECT_EQ(StoreValueNames(kProduct).size(), 6u);

  // The whole deletion still removes the key with its values.
  ArmAllocationFailure(1);
  DeleteSavedSettings();
  ArmAllocationFailure(0);
  EXPECT_FALSE(StoreKeyExists(kMaker));
}

TEST_F(SettingsStoreTest, DeletingWithoutAccessToSoftwareStops) {
  SaveSettings();
  g_userStore.openKey = [](StoreKey, const char16_t*, StoreAccess, StoreKey* key) {
    *key = nullptr;
    return StoreResult::Denied;
  };
  DeleteSavedSettings();
  g_userStore.openKey = CountingOpen;
  EXPECT_TRUE(StoreKeyExists(kProduct));
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
}

}  // namespace
