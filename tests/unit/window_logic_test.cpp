// The window's logic on the recording stand-in: Help, and SAV, DEL, start-up and a layout switch on the store.
#include "tests/support/test_support.h"

namespace {

using Log = std::vector<std::u16string>;

class WindowLogicTest : public testing::Test {
 protected:
  void SetUp() override { ResetStandIns(); }
  static CommandOutcome Click(Control c, int32_t code = 0) { return RouteCommand(&g_app, static_cast<int32_t>(c), code); }
  static bool Logged(const std::u16string& event) { return std::ranges::count(WindowLog(), event) > 0; }
};

// Help opens readme.txt in the program's folder; with no folder, or no memory for the path, it warns.
TEST_F(WindowLogicTest, HelpOpensTheReadmeBesideTheProgramOrWarns) {
  for (const char16_t* module : {u"C:\\Tools\\dorrowin.exe", u"C:\\Tools\\dorrowin.md\\x", u"dorrowin.exe"})
    g_app.readmePath = ReadmePathFor(module), Click(Control::HelpButton);
  Failing(1, [] { g_app.readmePath = ReadmePathFor(u"C:\\dorrowin.exe"); });  // no memory for the readme's path
  Click(Control::HelpButton);
  EXPECT_EQ(ShellLog(), (Log{u"open C:\\Tools\\readme.txt", u"open C:\\Tools\\dorrowin.md\\readme.txt",
                             u"warn readme.txt を開けませんでした|Dorrowin v1.04",
                             u"warn readme.txt を開けませんでした|Dorrowin v1.04"}));
}

// SAV writes the exact values, start-up applies them, DEL removes them (any stored values: the fuzz target).
TEST_F(WindowLogicTest, SaveLoadAndDeleteTheStoredSettings) {
  SetControlTextForTest(Control::FilePrefixEdit, u"「");
  SetControlTextForTest(Control::FolderSuffixEdit, u"\\");
  SetWindowRect(WindowRect{-3, 20, 100, 100});
  Click(Control::DeleteButton);
  for (uint64_t k = 1; k <= 5; ++k) {  // storage running out: nothing written, DEL stays off
    Failing(k, [] { Click(Control::SaveButton); });
    EXPECT_EQ(StoreContents().size(), k == 5 ? 9u : 0u);
    EXPECT_EQ(ControlEnabled(Control::DeleteButton), k == 5);
  }
  EXPECT_EQ(StoreContents(), (Log{u"software", u"software\\quillmoor", u"software\\quillmoor\\dorrowin",
                                  u"Setting=4:20b10100", u"WindowPos=4:1400fdff", u"StrFF=1:0c300000",
                                  u"StrFB=1:0000", u"StrDF=1:0000", u"StrDB=1:5c000000"}));
  const Text texts[] = {Text::Copy(u"a", 1), Text::Copy(u"b", 1), Text::Copy(u"c", 1), Text::Copy(u"d", 1)};
  g_app.settings = kDefaultSettings, ClearWindowLog();
  SetWorkArea(WindowRect{-1280, -1024, 1280, 984});  // a monitor left of and above the primary one
  SaveStoredSettings(0x2C140u, 0xFFF6FFEC, texts), LoadSettings(&g_app);
  EXPECT_EQ(PackSettings(g_app.settings), 0x2C140u);
  EXPECT_EQ(ControlText(Control::FolderSuffixEdit), u"d");
  EXPECT_EQ(ControlText(Control::PathFormLabel), u" パス：ツリー");
  EXPECT_EQ(ControlText(Control::SeparatorLabel), u" パス区切り文字：/");
  EXPECT_TRUE(Logged(u"place -10 -20") && Logged(u"window -10 -20 236 238"));
  SetWindowRect(WindowRect{1250, 950, 1300, 1000}), SetWorkArea(WindowRect{0, 0, 1280, 984});
  Click(Control::LayoutButton);  // the other layout, moved into the work area
  EXPECT_EQ(Utf8(WindowLog().back()), "window 1194 886 86 98");
  // DEL: a product key spelled otherwise, kept for the key it holds, loses its values; the maker key stays, and so
  // does a key named as ours but for its first letter, with its value.
  int64_t live = GetAllocationStats().liveBlocks;
  ResetStandIns();
  StoreKey key = nullptr;
  g_userStore.createKey(nullptr, u"Software\\Quillmoor\\DORROWIN\\Sub", StoreAccess::All, &key);
  g_userStore.closeKey(key);
  g_userStore.createKey(nullptr, u"Software\\Quillmoor\\Xorrowin", StoreAccess::All, &key);
  g_userStore.setValue(key, u"Setting", kStoreDword, "\1\0\0\0", 4);
  g_userStore.closeKey(key);
  Click(Control::SaveButton), Click(Control::DeleteButton);
  EXPECT_EQ(StoreContents(), (Log{u"software", u"software\\quillmoor", u"software\\quillmoor\\dorrowin",
                                  u"software\\quillmoor\\dorrowin\\sub", u"software\\quillmoor\\xorrowin",
                                  u"Setting=4:01000000"}));
  EXPECT_TRUE(!ControlEnabled(Control::DeleteButton) && GetAllocationStats().liveBlocks == live);
  ResetStandIns(), LoadSettings(&g_app);
  EXPECT_TRUE(Logged(u"enable 10016 0") && OpenStoreKeys() == 0);
}

}  // namespace
