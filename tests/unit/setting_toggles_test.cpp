#include <gtest/gtest.h>

#include "settings/listing_settings.h"
#include "settings/setting_toggles.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

class SettingTogglesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowProbe();
    ResetListingSettings();
  }
  void TearDown() override {
    ResetListingSettings();
    RestoreWindowProbe();
  }

  // The texts written to a label, each expected to follow a label blank.
  static std::vector<std::u16string> Shown(Control label) {
    std::vector<std::u16string> writes = TextWritesTo(label);
    std::vector<std::u16string> texts;
    for (size_t i = 0; i < writes.size(); ++i) {
      if (i % 2 == 0) {
        EXPECT_EQ(writes[i], kLabelBlank) << "write " << i << " should be the label blank";
      } else {
        texts.push_back(writes[i]);
      }
    }
    EXPECT_EQ(writes.size() % 2, 0u) << "a label text without its blank";
    return texts;
  }
};

TEST_F(SettingTogglesTest, LabelBlankIsTwentyOneIdeographicSpaces) {
  std::u16string blank = kLabelBlank;
  EXPECT_EQ(blank, std::u16string(21, u'\u3000'));
}

TEST_F(SettingTogglesTest, PathFormCyclesFromRelativeThroughTreeAndNameOnly) {
  for (int click = 0; click < 4; ++click) ApplyPathForm(PathForm::Absolute, false);
  EXPECT_EQ(Shown(Control::PathFormLabel),
            (std::vector<std::u16string>{u" パス：ツリー", u" パス：なし", u" パス：絶対パス", u" パス：相対パス"}));
  EXPECT_EQ(g_settings.pathForm, PathForm::Relative);
  EXPECT_EQ(ControlTextNow(Control::PathFormLabel), u" パス：相対パス");
}

TEST_F(SettingTogglesTest, ItemFilterCyclesBackAfterThreeClicks) {
  for (int click = 0; click < 3; ++click) ApplyItemFilter(ItemFilter::FoldersOnly, false);
  EXPECT_EQ(Shown(Control::ItemsLabel), (std::vector<std::u16string>{u" 項目：ファイルのみ", u" 項目：フォルダのみ",
                                                                      u" 項目：ファイルとフォルダ"}));
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesAndFolders);
}

TEST_F(SettingTogglesTest, SetModeStoresTheValueAndRewritesAnUnchangedLabel) {
  ApplyPathForm(PathForm::Tree, true);
  ApplyPathForm(PathForm::Tree, true);
  ApplyItemFilter(ItemFilter::FoldersOnly, true);
  EXPECT_EQ(g_settings.pathForm, PathForm::Tree);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FoldersOnly);
  EXPECT_EQ(Shown(Control::PathFormLabel), (std::vector<std::u16string>{u" パス：ツリー", u" パス：ツリー"}));
  EXPECT_EQ(Shown(Control::ItemsLabel), (std::vector<std::u16string>{u" 項目：フォルダのみ"}));
}

TEST_F(SettingTogglesTest, SetModeRefusesValuesOutsideTheEnumerationAndKeepsTheLabelTrue) {
  ApplyPathForm(PathForm::Absolute, true);
  ApplyPathForm(static_cast<PathForm>(0), true);
  ApplyPathForm(static_cast<PathForm>(5), true);
  ApplyItemFilter(static_cast<ItemFilter>(4), true);
  ApplyItemFilter(static_cast<ItemFilter>(-1), true);
  EXPECT_EQ(g_settings.pathForm, PathForm::Absolute);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesAndFolders);
  EXPECT_EQ(ControlTextNow(Control::PathFormLabel), u" パス：絶対パス");
  EXPECT_EQ(ControlTextNow(Control::ItemsLabel), u" 項目：ファイルとフォルダ");
  EXPECT_EQ(Shown(Control::PathFormLabel).size(), 3u);
}

TEST_F(SettingTogglesTest, AClickLeavesAnUnnamedValueAloneAndWritesNothing) {
  g_settings.pathForm = static_cast<PathForm>(9);
  g_settings.itemFilter = static_cast<ItemFilter>(0);
  ApplyPathForm(PathForm::Absolute, false);
  ApplyItemFilter(ItemFilter::FilesOnly, false);
  EXPECT_EQ(static_cast<int>(g_settings.pathForm), 9);
  EXPECT_EQ(static_cast<int>(g_settings.itemFilter), 0);
  EXPECT_TRUE(TextWritesTo(Control::PathFormLabel).empty());
  EXPECT_TRUE(TextWritesTo(Control::ItemsLabel).empty());
}

TEST_F(SettingTogglesTest, SeparatorTogglesBetweenBackslashAndSlash) {
  ToggleSeparator();
  EXPECT_EQ(g_settings.separator, kSlash);
  ToggleSeparator();
  EXPECT_EQ(g_settings.separator, kBackslash);
  EXPECT_EQ(Shown(Control::SeparatorLabel),
            (std::vector<std::u16string>{u" パス区切り文字：/", u" パス区切り文字：\\"}));
  std::u16string shown = ControlTextNow(Control::SeparatorLabel);
  EXPECT_EQ(shown.back(), u'\\');

  g_settings.separator = u'|';
  ToggleSeparator();
  EXPECT_EQ(g_settings.separator, kBackslash);
}

TEST_F(SettingTogglesTest, BooleanSettingsInvertAndNameTheirValue) {
  ApplyExtensionShown(true, false);
  ApplyFolderScan(true, false);
  EXPECT_FALSE(g_settings.extensionShown);
  EXPECT_FALSE(g_settings.folderScan);
  EXPECT_EQ(ControlTextNow(Control::ExtensionLabel), u" 拡張子：なし");
  EXPECT_EQ(ControlTextNow(Control::FolderScanLabel), u" フォルダ内検索：しない");
  ApplyExtensionShown(false, false);
  ApplyFolderScan(false, true);
  EXPECT_TRUE(g_settings.extensionShown);
  EXPECT_FALSE(g_settings.folderScan);
  EXPECT_EQ(Shown(Control::ExtensionLabel), (std::vector<std::u16string>{u" 拡張子：なし", u" 拡張子：あり"}));
  EXPECT_EQ(Shown(Control::FolderScanLabel),
            (std::vector<std::u16string>{u" フォルダ内検索：しない", u" フォルダ内検索：しない"}));
}

TEST_F(SettingTogglesTest, AlwaysOnTopChangesTheZOrderWithoutMovingTheWindow) {
  g_window.moveWindow(40, 30, 120, 90, false);
  WindowRect before = g_window.windowRect();
  ApplyAlwaysOnTop(false, true);
  EXPECT_FALSE(g_settings.alwaysOnTop);
  EXPECT_FALSE(WindowTopmostNow());
  EXPECT_EQ(ControlTextNow(Control::TopmostLabel), u" 常に手前に表示：OFF");
  WindowRect after = g_window.windowRect();
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);

  ApplyAlwaysOnTop(false, false);
  EXPECT_TRUE(WindowTopmostNow());
  EXPECT_EQ(ControlTextNow(Control::TopmostLabel), u" 常に手前に表示：ON");
}

TEST_F(SettingTogglesTest, SetModeRepeatsTheSideEffectEvenWithoutAChange) {
  ApplyAlwaysOnTop(true, true);
  // Something else took the window out of the topmost band; setting the
  // unchanged value puts it back.
  g_window.setTopmost(false);
  ApplyAlwaysOnTop(true, true);
  EXPECT_TRUE(WindowTopmostNow());
  EXPECT_EQ(Shown(Control::TopmostLabel), (std::vector<std::u16string>{u" 常に手前に表示：ON", u" 常に手前に表示：ON"}));
}

TEST_F(SettingTogglesTest, TranslucencySetsTheWindowsAlpha) {
  ApplyTranslucent(true, true);
  EXPECT_EQ(WindowAlphaNow(), 192);
  EXPECT_EQ(ControlTextNow(Control::TranslucentLabel), u" 透過表示：ON");
  ApplyTranslucent(true, false);
  EXPECT_EQ(WindowAlphaNow(), 255);
  EXPECT_EQ(ControlTextNow(Control::TranslucentLabel), u" 透過表示：OFF");
  g_window.setAlpha(100);
  ApplyTranslucent(false, true);
  EXPECT_EQ(WindowAlphaNow(), 255);
}

}  // namespace
