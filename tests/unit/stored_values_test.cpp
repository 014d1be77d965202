// Each of the six stored values hand-edited to every registry type and to
// sizes from nothing to 64 KB, the other five left valid, on the real
// per-user store (the registry under Wine). The load takes what is valid,
// ignores what is not by the rules of each value, and always leaves every
// label naming the settings in memory, nothing allocated and no key open.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

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
const std::u16string kNames[6] = {u"Setting", u"WindowPos", u"StrFF", u"StrFB", u"StrDF", u"StrDB"};
constexpr Control kEdits[4] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                               Control::FolderSuffixEdit};

// REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
// REG_DWORD_BIG_ENDIAN, REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST, REG_QWORD.
constexpr uint32_t kTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 11};
constexpr uint32_t kSizes[] = {0, 1, 2, 3, 4, 5, 6, 8, 4096, 65536};

// The valid values the other five keep: Tree, slash, files only, compact;
// the place (100, 50); four short texts.
constexpr uint32_t kStoredWord = 0x1B040 | (2u << 8) | (1u << 17);
constexpr uint32_t kStoredPlace = (100u << 16) | 50u;

std::atomic<int> s_openKeys{0};
UserStoreApi s_realStore;

StoreResult CountedOpen(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  StoreResult result = s_realStore.openKey(parent, path, access, key);
  if (result == StoreResult::Ok) s_openKeys.fetch_add(1);
  return result;
}
void CountedClose(StoreKey key) {
  s_openKeys.fetch_sub(1);
  s_realStore.closeKey(key);
}

// Bytes for a value of this size: the valid word (or place) first, so that
// only the type or the size can make it invalid, then a text of 'A' 'B'...
std::vector<unsigned char> Content(int value, uint32_t size) {
  std::vector<unsigned char> bytes(size, 0);
  uint32_t word = value == 0 ? kStoredWord : kStoredPlace;
  for (uint32_t i = 0; i < size; ++i) {
    if (value < 2 && i < 4) {
      bytes[i] = static_cast<unsigned char>(word >> (8 * i));
    } else if (i % 2 == 0) {
      bytes[i] = static_cast<unsigned char>('A' + (i / 2) % 26);
    }
  }
  return bytes;
}

// What a REG_SZ of these bytes shows in its edit box: floor(S / 2) - 1
// units, up to the first NUL.
std::u16string LoadedText(const std::vector<unsigned char>& bytes) {
  size_t units = bytes.size() / 2 >= 1 ? bytes.size() / 2 - 1 : 0;
  std::u16string text(units, u'\0');
  if (units > 0) std::memcpy(text.data(), bytes.data(), units * 2);
  return text.substr(0, text.find(u'\0'));
}

bool IsValidWord(const StoredValue& value) { return value.exists && value.type == kStoreDword && value.data.size() == 4; }

class StoredValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedWindow_ = g_window;
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    s_realStore = g_userStore;
    s_openKeys.store(0);
    g_userStore.openKey = CountedOpen;
    g_userStore.closeKey = CountedClose;
    liveBlocks_ = GetAllocationStats().liveBlocks;
  }
  void TearDown() override {
    g_userStore = s_realStore;
    g_window = savedWindow_;
    ResetListingSettings();
    RestoreWindowProbe();
  }

  // Every label tells the settings in memory.
  static bool LabelsNameTheSettings() {
    const char16_t* pathForms[] = {u"", u" パス：絶対パス", u" パス：相対パス", u" パス：なし", u" パス：ツリー"};
    const char16_t* filters[] = {u"", u" 項目：ファイルとフォルダ", u" 項目：ファイルのみ", u" 項目：フォルダのみ"};
    return ControlTextNow(Control::PathFormLabel) == pathForms[static_cast<int>(g_settings.pathForm)] &&
           ControlTextNow(Control::ItemsLabel) == filters[static_cast<int>(g_settings.itemFilter)] &&
           ControlTextNow(Control::SeparatorLabel) ==
               (g_settings.separator == kSlash ? u" パス区切り文字：/" : u" パス区切り文字：\\") &&
           ControlTextNow(Control::ExtensionLabel) == (g_settings.extensionShown ? u" 拡張子：あり" : u" 拡張子：なし") &&
           ControlTextNow(Control::FolderScanLabel) ==
               (g_settings.folderScan ? u" フォルダ内検索：する" : u" フォルダ内検索：しない") &&
           ControlTextNow(Control::TopmostLabel) ==
               (g_settings.alwaysOnTop ? u" 常に手前に表示：ON" : u" 常に手前に表示：OFF") &&
           ControlTextNow(Control::TranslucentLabel) == (g_settings.translucent ? u" 透過表示：ON" : u" 透過表示：OFF") &&
           WindowTitleNow() == (g_settings.compactLayout.load() ? u"Dorrowin" : u"Dorrowin v1.04");
  }

  StoreSnapshot snapshot_;
  int64_t liveBlocks_ = 0;

 private:
  WindowApi savedWindow_;
};

TEST_F(StoredValuesTest, EveryWrongTypeAndSizeOfEachValueIsIgnoredByItsOwnRule) {
  int loads = 0;
  int failing = 0;
  for (int value = 0; value < 6 && failing < 5; ++value) {
    for (uint32_t type : kTypes) {
      for (uint32_t size : kSizes) {
        std::string what = Utf8(kNames[value]) + " of type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
        RemoveStoreTree(u"Software\\Quillmoor");
        WriteStoreWord(kProduct, u"Setting", kStoredWord);
        WriteStoreWord(kProduct, u"WindowPos", kStoredPlace);
        WriteStoreString(kProduct, u"StrFF", u"1");
        WriteStoreString(kProduct, u"StrFB", u"2");
        WriteStoreString(kProduct, u"StrDF", u"3");
        WriteStoreString(kProduct, u"StrDB", u"4");
        std::vector<unsigned char> bytes = Content(value, size);
        WriteStoreValue(kProduct, kNames[value], type, bytes.data(), size);
        // What the store holds now, as read back: the expectation follows it.
        StoredValue stored[6];
        for (int i = 0; i < 6; ++i) stored[i] = ReadStoreValue(kProduct, kNames[i]);

        ResetWindowProbe();
        ResetListingSettings();
        g_window.moveWindow(300, 200, 86, 98, false);
        const std::u16string before[4] = {u"a", u"b", u"c", u"d"};
        for (int i = 0; i < 4; ++i) g_window.setControlText(kEdits[i], before[i].c_str());
        s_openKeys.store(0);
        LoadSettings();
        ++loads;

        bool passed = true;
        auto check = [&](bool condition, const char* message) {
          if (!condition) {
            ADD_FAILURE() << what << ": " << message;
            passed = false;
          }
        };
        bool settingValid = IsValidWord(stored[0]);
        check((g_settings.pathForm == PathForm::Tree) == settingValid, "the stored settings taken only when valid");
        check(g_settings.separator == (settingValid ? kSlash : kBackslash), "the separator");
        check(LabelsNameTheSettings(), "every label names the setting in memory");
        WindowRect rect = g_window.windowRect();
        bool placeValid = IsValidWord(stored[1]);
        check(rect.left == (placeValid ? 100 : 300) && rect.top == (placeValid ? 50 : 200),
              "the place taken only when valid");
        bool textsValid = true;
        for (int i = 2; i < 6; ++i) textsValid = textsValid && stored[i].exists && stored[i].type == kStoreString;
        for (int i = 0; i < 4; ++i) {
          std::u16string expected = textsValid ? LoadedText(stored[i + 2].data) : before[i];
          check(ControlTextNow(kEdits[i]) == expected, "the four texts taken together, each cut to its size");
        }
        check(s_openKeys.load() == 0, "every key closed");
        check(GetAllocationStats().liveBlocks == liveBlocks_, "every block freed");
        if (!passed) ++failing;
      }
    }
  }
  std::cout << "[ stored   ] " << loads << " loads of hand-edited values\n";
  RecordProperty("loads", loads);
}

TEST_F(StoredValuesTest, TextsOfAMegabyteLoadWhole) {
  // Far longer than any edit box is typed full: 524,287 units each.
  std::u16string big(524287, u'\u3042');
  big[0] = u'[';
  big.back() = u']';
  for (int i = 2; i < 6; ++i) WriteStoreString(kProduct, kNames[i], big);
  s_openKeys.store(0);
  LoadSettings();
  for (Control edit : kEdits) EXPECT_TRUE(ControlTextNow(edit) == big);
  EXPECT_EQ(s_openKeys.load(), 0);
  EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks_);
}

}  // namespace
