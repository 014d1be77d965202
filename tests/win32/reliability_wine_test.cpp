// Reliability against the real Win32 surface under Wine: every allocation
// of jobs over a network share failing in turn through the worker, and the
// real program started with a command line of the longest length a process
// can be given.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/job_context.h"
#include "job/job_worker.h"
#include "platform/memory.h"
#include "settings/listing_settings.h"
#include "tests/support/job_sweep.h"
#include "tests/support/store_snapshot.h"
#include "tests/support/test_support.h"
#include "tests/support/window_probe.h"

namespace {

namespace fs = std::filesystem;

// The share \\DORROWINSRV\SWEEP: Wine serves
// $WINEPREFIX/dosdevices/unc/DORROWINSRV/SWEEP under that network path.
class NetworkSweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedWindow_ = g_window;
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    g_job.commandLineMode = false;
    wchar_t prefix[4096];
    DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", prefix, 4096);
    ASSERT_GT(n, 0u) << "WINEPREFIX is not set";
    std::wstring host = L"Z:" + std::wstring(prefix);
    for (wchar_t& ch : host) {
      if (ch == L'/') ch = L'\\';
    }
    share_ = fs::path(host) / L"dosdevices" / L"unc" / L"DORROWINSRV" / L"SWEEP";
    std::error_code error;
    fs::remove_all(share_, error);
    for (const wchar_t* file : {L"top.txt", L"docs\\a.txt", L"docs\\sub\\b.txt", L"docs\\\u540D\u524D.txt"}) {
      fs::create_directories((share_ / file).parent_path());
      std::ofstream(share_ / file) << "x";
    }
  }
  void TearDown() override {
    WaitForWorker();
    std::error_code error;
    fs::remove_all(share_, error);
    g_window = savedWindow_;
    ResetListingSettings();
    RestoreWindowProbe();
  }

  fs::path share_;

 private:
  WindowApi savedWindow_;
};

TEST_F(NetworkSweepTest, EveryAllocationOfAJobOverAShareFailsCleanly) {
  struct Form {
    const char* what;
    PathForm form;
    const char16_t* text;
  };
  const Form forms[] = {
      {"share, Relative", PathForm::Relative,
       u"<top.txt>\r\n[docs\r\n<docs\\a.txt>\r\n<docs\\\u540D\u524D.txt>\r\n[docs\\sub\r\n<docs\\sub\\b.txt>"},
      {"share, Tree", PathForm::Tree,
       u"<top.txt>\r\n[docs\r\n \u2523<a.txt>\r\n \u2523<\u540D\u524D.txt>\r\n \u2517[sub\r\n \u3000 \u2517<b.txt>"},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(form.what);
    ResetListingSettings();
    g_settings.pathForm = form.form;
    JobSweep sweep;
    sweep.start = [] { StartJob(MakeDrop({u"\\\\DORROWINSRV\\SWEEP\\docs", u"\\\\DORROWINSRV\\SWEEP\\top.txt"})); };
    sweep.affixes[0].assign(1, u'<');
    sweep.affixes[1].assign(1, u'>');
    sweep.affixes[2].assign(1, u'[');
    std::u16string expected = form.text;
    sweep.checkText = [expected](const std::u16string& text) { EXPECT_TRUE(text == expected) << Utf8(text); };
    JobSweepFigures figures = SweepJobAllocations(sweep);
    EXPECT_GT(figures.allocations, 20u);
    std::cout << "[ sweep    ] " << form.what << ": " << figures.allocations << " allocations, " << figures.covered
              << " failed in turn, " << figures.survived << " survived\n";
  }
}

// The real program, started as another program would start it, with a
// command line of 32,766 units and its terminator: the longest a process
// can be given.
TEST(LongestCommandLineTest, TheRealProgramListsEveryPathOfIt) {
  StoreSnapshot snapshot;  // no stored settings: the defaults apply
  TempFolder folder;
  std::u16string a = folder.AddFile(u"a.txt");
  folder.AddFile(u"folder with spaces/b.txt");
  std::u16string spaced = folder.path() + u"\\folder with spaces";

  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  fs::path program = fs::path(self).parent_path().parent_path() / L"dorrowin.exe";
  ASSERT_TRUE(fs::exists(program)) << program.string() << " is built with the tests";
  std::wstring programPath = program.wstring();

  const size_t kLongest = 32766;
  std::u16string line = u"\"";
  line.append(programPath.begin(), programPath.end());
  line += u'"';
  size_t files = 0;
  size_t folders = 0;
  while (line.size() + 3 + spaced.size() + 3 + a.size() + 8 < kLongest) {
    if ((files + folders) % 2 == 0) {
      line += u" \"";
      line += spaced;
      line += u'"';
      ++folders;
    } else {
      line += u' ';
      line += a;
      ++files;
    }
  }
  // The last token, in an open quote, fills the line and names no file.
  line += u" \"";
  line += folder.path();
  line += u'\\';
  line += std::u16string(kLongest - line.size(), u'x');
  ASSERT_EQ(line.size(), kLongest);

  WriteClipboardForTest(u"before");
  std::wstring command(line.begin(), line.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process))
      << GetLastError();
  DWORD waited = WaitForSingleObject(process.hProcess, 120000);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the program did not end";
  EXPECT_EQ(exitCode, 0u);

  // The defaults: relative paths, files first, folders searched.
  std::u16string expected;
  for (size_t i = 0; i < files; ++i) expected += u"a.txt\r\n";
  for (size_t i = 0; i < folders; ++i) expected += u"folder with spaces\r\nfolder with spaces\\b.txt\r\n";
  expected.resize(expected.size() - 2);
  std::u16string clipboard = ReadClipboardForTest();
  EXPECT_TRUE(clipboard == expected + u'\0') << clipboard.size() << " units on the clipboard, "
                                            << expected.size() + 1 << " expected";
  std::cout << "[ limits   ] the program started with a command line of " << line.size() << " units listed "
            << files + 2 * folders << " lines\n";
}

}  // namespace
