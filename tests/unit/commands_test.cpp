// The routing of the clickable labels' commands and the help request, in
// both builds. The shell's two calls and the minimize call are replaced here
// so that no viewer or message box appears under Wine; the real ones are
// exercised by the window tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/user_store.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "tests/support/test_support.h"
#include "ui/commands.h"
#include "ui/ui_state.h"

namespace {

struct ShellCall {
  std::string operation;
  std::u16string text;
  std::u16string caption;
};

std::vector<ShellCall> g_shellCalls;
bool g_openSucceeds = true;
int g_minimizeCalls = 0;

bool FakeOpenDocument(const char16_t* path) {
  g_shellCalls.push_back(ShellCall{"open", path, u""});
  return g_openSucceeds;
}

void FakeShowWarning(const char16_t* text, const char16_t* caption) {
  g_shellCalls.push_back(ShellCall{"warning", text, caption});
}

void FakeMinimize() { ++g_minimizeCalls; }

// Every setting and flag a command can change, to tell "nothing happened".
struct Snapshot {
  PathForm pathForm;
  char16_t separator;
  ItemFilter itemFilter;
  bool extensionShown, folderScan, alwaysOnTop, translucent, compactLayout, abortFlag;
  size_t shellCalls;
  int minimizeCalls;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take() {
  return Snapshot{g_settings.pathForm,     g_settings.separator,   g_settings.itemFilter,
                  g_settings.extensionShown, g_settings.folderScan, g_settings.alwaysOnTop,
                  g_settings.translucent,  g_settings.compactLayout.load(), g_job.abortFlag.load(),
                  g_shellCalls.size(),     g_minimizeCalls};
}

constexpr int32_t kCommandIds[] = {10001, 10002, 10008, 10009, 10023, 10010, 10011,
                                   10013, 10014, 10015, 10016, 10017, 10018};
constexpr int32_t kListingIds[] = {10001, 10002, 10008, 10009, 10023};

constexpr char16_t kProductKey[] = u"Software\\Quillmoor\\Dorrowin";

bool ProductKeyExists() {
  StoreKey key = nullptr;
  if (g_userStore.openKey(nullptr, kProductKey, StoreAccess::Read, &key) != StoreResult::Ok) return false;
  g_userStore.closeKey(key);
  return true;
}

void RemoveProductKey() {
  StoreKey key = nullptr;
  if (g_userStore.openKey(nullptr, kProductKey, StoreAccess::All, &key) == StoreResult::Ok) {
    const char16_t* names[] = {u"Setting", u"WindowPos", u"StrFF", u"StrFB", u"StrDF", u"StrDB"};
    for (const char16_t* name : names) g_userStore.deleteValue(key, name);
    g_userStore.closeKey(key);
  }
  StoreKey software = nullptr;
  if (g_userStore.openKey(nullptr, u"Software", StoreAccess::All, &software) != StoreResult::Ok) return;
  StoreKey maker = nullptr;
  if (g_userStore.openKey(software, u"Quillmoor", StoreAccess::All, &maker) == StoreResult::Ok) {
    g_userStore.deleteKey(maker, u"Dorrowin");
    g_userStore.closeKey(maker);
  }
  g_userStore.deleteKey(software, u"Quillmoor");
  g_userStore.closeKey(software);
}

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedShell_ = g_shell;
    savedMinimize_ = g_window.minimize;
    g_shell.openDocument = FakeOpenDocument;
    g_shell.showWarning = FakeShowWarning;
    g_window.minimize = FakeMinimize;
    g_shellCalls.clear();
    g_openSucceeds = true;
    g_minimizeCalls = 0;
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.abortFlag.store(false);
    g_job.failureFlag.store(false);
    std::u16string title = u"Dorrowin v1.04";
    title.copy(g_ui.fullTitle, title.size());
    g_ui.fullTitle[title.size()] = 0;
  }

  void TearDown() override {
    g_shell = savedShell_;
    g_window.minimize = savedMinimize_;
    SetReadmePath(nullptr);
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.abortFlag.store(false);
  }

  ShellApi savedShell_;
  void (*savedMinimize_)();
};

TEST_F(CommandsTest, EachSettingLabelAdvancesItsOwnSettingOnAClick) {
  EXPECT_EQ(RouteCommand(10001, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_EQ(g_settings.pathForm, PathForm::Tree);  // Relative -> Tree
  EXPECT_EQ(RouteCommand(10002, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_FALSE(g_settings.extensionShown);
  EXPECT_EQ(RouteCommand(10008, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FilesOnly);
  EXPECT_EQ(RouteCommand(10009, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_FALSE(g_settings.folderScan);
  EXPECT_EQ(RouteCommand(10023, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_EQ(g_settings.separator, u'/');
  EXPECT_EQ(RouteCommand(10010, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_FALSE(g_settings.alwaysOnTop);
  EXPECT_EQ(RouteCommand(10011, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_TRUE(g_settings.translucent);
  EXPECT_EQ(RouteCommand(10017, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_FALSE(g_settings.compactLayout.load());
  // Nothing else was touched along the way.
  EXPECT_FALSE(g_job.abortFlag.load());
  EXPECT_TRUE(g_shellCalls.empty());
  EXPECT_EQ(g_minimizeCalls, 0);

  // A second round brings every two-valued setting back.
  for (int32_t id : {10002, 10009, 10023, 10010, 10011, 10017}) RouteCommand(id, kNotifyClicked);
  EXPECT_TRUE(g_settings.extensionShown);
  EXPECT_TRUE(g_settings.folderScan);
  EXPECT_EQ(g_settings.separator, u'\\');
  EXPECT_TRUE(g_settings.alwaysOnTop);
  EXPECT_FALSE(g_settings.translucent);
  EXPECT_TRUE(g_settings.compactLayout.load());
}

TEST_F(CommandsTest, ADoubleClickActsAsOneMoreClick) {
  RouteCommand(10008, kNotifyClicked);
  RouteCommand(10008, kNotifyDoubleClicked);
  EXPECT_EQ(g_settings.itemFilter, ItemFilter::FoldersOnly);

  RouteCommand(10001, kNotifyClicked);
  RouteCommand(10001, kNotifyDoubleClicked);
  EXPECT_EQ(g_settings.pathForm, PathForm::NameOnly);  // Relative -> Tree -> NameOnly

  // The double-click code alone acts too.
  RouteCommand(10010, kNotifyDoubleClicked);
  EXPECT_FALSE(g_settings.alwaysOnTop);
  RouteCommand(10013, kNotifyDoubleClicked);
  EXPECT_TRUE(g_job.abortFlag.load());
}

TEST_F(CommandsTest, NotificationCodesOtherThanClicksChangeNothing) {
  SetReadmePath(ReadmePathFor(u"C:\\Tools\\dorrowin.exe"));
  Snapshot before = Take();
  for (int32_t id : kCommandIds) {
    for (int32_t code : {2, 3, 4, 5, 0x100, 0xFFFF}) {
      EXPECT_EQ(RouteCommand(id, code), CommandOutcome::Handled) << id << " code " << code;
    }
  }
  EXPECT_EQ(Take(), before);
}

TEST_F(CommandsTest, IdsWithoutAnActionGoToTheDefaultProcedure) {
  Snapshot before = Take();
  const int32_t ids[] = {10003, 10004, 10005, 10006, 10007, 10012, 10019, 10020, 10021, 10022,
                         10000, 10024, 0,     1,     2,     1000,  65535};
  for (int32_t id : ids) {
    EXPECT_EQ(RouteCommand(id, kNotifyClicked), CommandOutcome::NotHandled) << id;
    EXPECT_EQ(RouteCommand(id, kNotifyDoubleClicked), CommandOutcome::NotHandled) << id;
    EXPECT_EQ(RouteCommand(id, 0x300), CommandOutcome::NotHandled) << id;
  }
  EXPECT_EQ(Take(), before);
}

TEST_F(CommandsTest, ListingSettingsAreRefusedUnlessIdle) {
  for (StatusState state : {StatusState::Listing, StatusState::Copying, StatusState::Done,
                            StatusState::Interrupted, StatusState::Failed}) {
    g_status.store(state);
    Snapshot before = Take();
    for (int32_t id : kListingIds) {
      EXPECT_EQ(RouteCommand(id, kNotifyClicked), CommandOutcome::Handled);
      EXPECT_EQ(RouteCommand(id, kNotifyDoubleClicked), CommandOutcome::Handled);
    }
    EXPECT_EQ(Take(), before) << "state " << static_cast<int>(state);
  }
  // Back at Idle the same click acts.
  g_status.store(StatusState::Idle);
  RouteCommand(10001, kNotifyClicked);
  EXPECT_EQ(g_settings.pathForm, PathForm::Tree);
}

TEST_F(CommandsTest, WindowCommandsActWhileAJobRuns) {
  g_status.store(StatusState::Listing);
  RouteCommand(10010, kNotifyClicked);
  EXPECT_FALSE(g_settings.alwaysOnTop);
  RouteCommand(10011, kNotifyClicked);
  EXPECT_TRUE(g_settings.translucent);
  RouteCommand(10017, kNotifyClicked);
  EXPECT_FALSE(g_settings.compactLayout.load());
  RouteCommand(10014, kNotifyClicked);
  EXPECT_EQ(g_minimizeCalls, 1);
  EXPECT_FALSE(g_job.abortFlag.load());
  RouteCommand(10013, kNotifyClicked);
  EXPECT_TRUE(g_job.abortFlag.load());
  SetReadmePath(ReadmePathFor(u"C:\\Tools\\dorrowin.exe"));
  RouteCommand(10018, kNotifyClicked);
  ASSERT_EQ(g_shellCalls.size(), 1u);
  EXPECT_EQ(g_shellCalls[0].operation, "open");
  // Cancel changes nothing but the flag; the state is the worker's to move.
  EXPECT_EQ(g_status.load(), StatusState::Listing);
}

TEST_F(CommandsTest, SaveAndDeleteReachTheStore) {
  RemoveProductKey();
  g_status.store(StatusState::Listing);  // allowed during a job too
  EXPECT_EQ(RouteCommand(10015, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_TRUE(ProductKeyExists());
  EXPECT_EQ(RouteCommand(10016, kNotifyClicked), CommandOutcome::Handled);
  EXPECT_FALSE(ProductKeyExists());
  RemoveProductKey();
}

TEST_F(CommandsTest, HelpOpensTheReadmeFileWithoutAWarning) {
  SetReadmePath(ReadmePathFor(u"C:\\Tools\\dorrowin.exe"));
  EXPECT_EQ(RouteCommand(10018, kNotifyClicked), CommandOutcome::Handled);
  ASSERT_EQ(g_shellCalls.size(), 1u);
  EXPECT_EQ(g_shellCalls[0].operation, "open");
  EXPECT_EQ(g_shellCalls[0].text, u"C:\\Tools\\readme.txt");
}

TEST_F(CommandsTest, HelpWarnsWhenTheShellCannotOpenTheFile) {
  SetReadmePath(ReadmePathFor(u"D:\\x\\dorrowin.exe"));
  g_openSucceeds = false;
  RouteCommand(10018, kNotifyDoubleClicked);
  ASSERT_EQ(g_shellCalls.size(), 2u);
  EXPECT_EQ(g_shellCalls[0].operation, "open");
  EXPECT_EQ(g_shellCalls[0].text, u"D:\\x\\readme.txt");
  EXPECT_EQ(g_shellCalls[1].operation, "warning");
  EXPECT_EQ(g_shellCalls[1].text, u"readme.txt を開けませんでした");
  EXPECT_EQ(g_shellCalls[1].caption, u"Dorrowin v1.04");
}

TEST_F(CommandsTest, HelpWithoutAReadmePathWarnsWithoutAskingTheShell) {
  SetReadmePath(nullptr);
  OpenHelpFile();
  ASSERT_EQ(g_shellCalls.size(), 1u);
  EXPECT_EQ(g_shellCalls[0].operation, "warning");
  EXPECT_EQ(g_shellCalls[0].text, u"readme.txt を開けませんでした");
}

// The readme path from the module's own path.

std::u16string ReadmeFor(const std::u16string& modulePath) {
  char16_t* path = ReadmePathFor(modulePath.c_str());
  if (path == nullptr) return u"<none>";
  std::u16string text(path);
  PlatformFree(path);
  return text;
}

TEST(ReadmePathFor, IsTheFileReadmeTxtInTheProgramsFolder) {
  EXPECT_EQ(ReadmeFor(u"C:\\Tools\\prog.exe"), u"C:\\Tools\\readme.txt");
  EXPECT_EQ(ReadmeFor(u"C:\\prog.exe"), u"C:\\readme.txt");
  EXPECT_EQ(ReadmeFor(u"C:\\ツール\\新しい フォルダ\\dorrowin.exe"), u"C:\\ツール\\新しい フォルダ\\readme.txt");
  EXPECT_EQ(ReadmeFor(u"\\\\server\\share\\dorrowin.exe"), u"\\\\server\\share\\readme.txt");
  EXPECT_EQ(ReadmeFor(u"\\\\?\\C:\\a.b\\c.exe"), u"\\\\?\\C:\\a.b\\readme.txt");
}

TEST(ReadmePathFor, APathWithoutAFolderHasNone) {
  EXPECT_EQ(ReadmeFor(u"dorrowin.exe"), u"<none>");
  EXPECT_EQ(ReadmeFor(u""), u"<none>");
  EXPECT_EQ(ReadmePathFor(nullptr), nullptr);
}

TEST(ReadmePathFor, TheLongestModulePathIsKeptWhole) {
  std::u16string folder = u"C:";
  while (folder.size() < 32700) folder += u"\\" + std::u16string(200, u'あ');
  std::u16string module = folder + u"\\" + std::u16string(32767 - folder.size() - 1, u'p');
  ASSERT_EQ(module.size(), 32767u);
  EXPECT_EQ(ReadmeFor(module), folder + u"\\readme.txt");
}

TEST(ReadmePathFor, RunningOutOfMemoryGivesNoneAndLeaksNothing) {
  int64_t live = GetAllocationStats().liveBlocks;
  ArmAllocationFailure(1);
  char16_t* path = ReadmePathFor(u"C:\\Tools\\prog.exe");
  ArmAllocationFailure(0);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(GetAllocationStats().liveBlocks, live);
}

}  // namespace
