// The engine against the real Win32 surface under Wine: a network share,
// a clipboard that another process holds, long paths through \\?\.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/clipboard_text.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/test_support.h"

namespace {

using Lines = std::vector<std::u16string>;
namespace fs = std::filesystem;

// A share \\DORROWINSRV\SHARE: Wine serves $WINEPREFIX/dosdevices/unc/SERVER/SHARE
// as that network path.
class NetworkShareTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    wchar_t prefix[4096];
    DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", prefix, 4096);
    ASSERT_GT(n, 0u) << "WINEPREFIX is not set";
    std::wstring host = L"Z:" + std::wstring(prefix);
    for (wchar_t& ch : host) {
      if (ch == L'/') ch = L'\\';
    }
    share = fs::path(host) / L"dosdevices" / L"unc" / L"DORROWINSRV" / L"SHARE";
    fs::remove_all(share);
    for (const wchar_t* file : {L"top.txt", L"docs\\a.txt", L"docs\\sub\\b.txt", L"docs\\\u540D\u524D.txt"}) {
      fs::create_directories((share / file).parent_path());
      std::ofstream(share / file) << "x";
    }
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(share, error);
    EngineTest::TearDown();
  }
  Lines ListShare() { return ListDrop({u"\\\\DORROWINSRV\\SHARE\\docs", u"\\\\DORROWINSRV\\SHARE\\top.txt"}); }

  fs::path share;
};

TEST_F(NetworkShareTest, ListedInEveryFormWithItsNetworkPaths) {
  const std::u16string s = u"\\\\DORROWINSRV\\SHARE\\";
  g_settings.pathForm = PathForm::Absolute;
  EXPECT_EQ(ListShare(), (Lines{s + u"top.txt", s + u"docs", s + u"docs\\a.txt", s + u"docs\\\u540D\u524D.txt",
                                s + u"docs\\sub", s + u"docs\\sub\\b.txt"}));
  g_settings.pathForm = PathForm::Relative;
  EXPECT_EQ(ListShare(), (Lines{u"top.txt", u"docs", u"docs\\a.txt", u"docs\\\u540D\u524D.txt", u"docs\\sub",
                                u"docs\\sub\\b.txt"}));
  g_settings.pathForm = PathForm::NameOnly;
  EXPECT_EQ(ListShare(), (Lines{u"top.txt", u"docs", u"a.txt", u"\u540D\u524D.txt", u"sub", u"b.txt"}));
  g_settings.pathForm = PathForm::Tree;
  EXPECT_EQ(ListShare(), (Lines{u"top.txt", u"docs", u" \u2523a.txt", u" \u2523\u540D\u524D.txt", u" \u2517sub",
                                u" \u3000 \u2517b.txt"}));
  EXPECT_FALSE(Aborted());
}

TEST_F(NetworkShareTest, AShareRootIsListable) {
  g_settings.pathForm = PathForm::NameOnly;
  g_settings.itemFilter = ItemFilter::FoldersOnly;
  EXPECT_EQ(ListDrop({u"\\\\DORROWINSRV\\SHARE"}), (Lines{u"SHARE", u"docs", u"sub"}));
}

TEST_F(NetworkShareTest, AnUnknownServerIsLeftOut) {
  EXPECT_TRUE(ListDrop({u"\\\\NOSUCHSERVER\\x\\a.txt"}).empty());
  EXPECT_FALSE(Aborted());
}

class LinkedFolderTest : public EngineTest {};

TEST_F(LinkedFolderTest, AHostLinkBackToAnAncestorIsListedButNotEntered) {
  std::u16string top = std::u16string(DORROWIN_LINK_FIXTURE) + u"/top";
  for (char16_t& ch : top) {
    if (ch == u'/') ch = u'\\';
  }
  ASSERT_NE(GetFileAttributesW(reinterpret_cast<const wchar_t*>(top.c_str())), INVALID_FILE_ATTRIBUTES);
  g_settings.pathForm = PathForm::Relative;
  EXPECT_EQ(ListDrop({top}), (Lines{u"top", u"top\\inner", u"top\\inner\\f.txt", u"top\\inner\\back"}));
  // Dropped itself, the link is read: the user chose it.
  g_settings.pathForm = PathForm::NameOnly;
  EXPECT_EQ(ListDrop({top + u"\\inner\\back"}), (Lines{u"back", u"inner", u"f.txt", u"back"}));
}

// Starts the holder program beside this test program and waits until it
// holds the clipboard.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(int milliseconds) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + (fs::path(self).parent_path() / L"clipboard_holder.exe").wstring() +
                           L"\" " + std::to_wstring(milliseconds);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process_) != 0;
    CloseHandle(writeEnd);
    char buffer[16] = {};
    DWORD read = 0;
    if (started_) ReadFile(readEnd, buffer, sizeof(buffer) - 1, &read, nullptr);
    held_ = std::string(buffer).rfind("held", 0) == 0;
    CloseHandle(readEnd);
  }
  ~ClipboardHolder() {
    if (!started_) return;
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  bool held() const { return held_; }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  bool held_ = false;
};

class BusyClipboardTest : public EngineTest {};

TEST_F(BusyClipboardTest, HeldLongerThanTheRetriesFailsAndKeepsTheOldText) {
  TempFolder folder;
  std::u16string file = folder.AddFile(u"a.txt");
  WriteClipboardForTest(u"what the user had");
  {
    ClipboardHolder holder(3000);
    ASSERT_TRUE(holder.held());
    RunDropJobToClipboard({file});
  }  // the holder has let go: the clipboard can be read again
  EXPECT_TRUE(Failed());
  EXPECT_TRUE(Aborted());
  EXPECT_EQ(ReadClipboardForTest(), std::u16string(u"what the user had") + u'\0');
}

TEST_F(BusyClipboardTest, HeldForAMomentIsWaitedFor) {
  TempFolder folder;
  std::u16string file = folder.AddFile(u"a.txt");
  {
    ClipboardHolder holder(300);
    ASSERT_TRUE(holder.held());
    RunDropJobToClipboard({file});
  }
  EXPECT_FALSE(Failed());
  EXPECT_EQ(ReadClipboardForTest(), std::u16string(u"a.txt") + u'\0');
}

}  // namespace
