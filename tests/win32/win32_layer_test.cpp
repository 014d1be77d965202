// The Win32 layer under Wine through whole listings: a network share, a host link, a path past
// MAX_PATH, the real clipboard (also busy, and with allocations failing), and the ANSI code page.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine/clipboard_text.h"
#include "platform/ansi_code.h"
#include "platform/memory.h"
#include "platform/utf8.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
const std::u16string kShare = u"\\\\DORROWINSRV\\SHARE", kOldText = u"what the user had";

bool OpenClipboardSoon() {  // the busy test's holder may still be letting go
  for (int attempt = 0; attempt < 500; ++attempt, Sleep(10)) if (OpenClipboard(nullptr)) return true;
  return false;
}

std::u16string ClipboardText() {  // up to its terminator
  if (!OpenClipboardSoon()) return u"<busy>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::u16string text = data ? static_cast<const char16_t*>(GlobalLock(data)) : u"<none>";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  return text;
}

void SetClipboard(const std::u16string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (text.size() + 1) * 2);
  text.copy(static_cast<char16_t*>(GlobalLock(block)), text.size());
  GlobalUnlock(block);
  ASSERT_TRUE(OpenClipboardSoon());
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

// A job as the worker runs it: the listing (into *text, empty unless Done), then the clipboard.
ListingOutcome ListToClipboard(const ListingRequest& request, std::u16string* text) {
  std::atomic<bool> abort{false};
  ListingText out{};
  ListingOutcome outcome = BuildListing(request, abort, &out);
  EXPECT_EQ(out.folderReadErrors, 0u);
  text->assign(out.units, u'\0');
  CopyListingText(out, text->data());
  if (outcome == ListingOutcome::Done && !CopyListingToClipboard(out)) outcome = ListingOutcome::Failed;
  FreeListingText(&out);
  return outcome;
}

// Wine serves $WINEPREFIX/dosdevices/unc/SERVER/SHARE as \\SERVER\SHARE.
struct Share {
  fs::path folder;
  Share() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr) throw std::runtime_error("WINEPREFIX is not set: run through tools/wine-run.sh");
    folder = fs::path("Z:" + std::string(prefix)) / "dosdevices/unc/DORROWINSRV/SHARE";
    fs::remove_all(folder);
    for (const char* file : {"top.txt", "docs/a.txt", "docs/名前.txt", "docs/サブ/b.txt"}) {
      fs::create_directories((folder / fs::u8path(file)).parent_path());
      std::ofstream(folder / fs::u8path(file)) << "x";
    }
  }
  ~Share() { fs::remove_all(folder); }
};

// Each listing reaches the clipboard exactly; with any one allocation failing (the last is the
// clipboard's block) it ends Failed, nothing left allocated and the clipboard as it was.
TEST(Win32Layer, ListingsReachTheClipboardWholeOrNotAtAll) {
  Share share;
  std::u16string link = fs::path(DORROWIN_LINK_FIXTURE u"/top").make_preferred().u16string();
  ScratchFolder scratch;  // five folders of 60-unit names and a file: a path of over 300 units
  std::string root = Utf8(fs::absolute(scratch.native()).make_preferred().u16string());
  std::vector<std::string> deep{root + "\\" + std::string(60, 'a')};
  for (char name : std::string("bcde")) deep.push_back(deep.back() + "\\" + std::string(60, name));
  deep.push_back(deep.back() + "\\f.txt");
  scratch.Make({deep.back().substr(root.size() + 1)});
  struct Row {
    PathForm form;
    std::vector<std::u16string> inputs;
    std::vector<std::string> expected;
    ItemFilter filter = ItemFilter::FilesAndFolders;
  };
  const Row rows[] = {
      {PathForm::Relative, {kShare + u"\\docs", kShare + u"\\top.txt"},
       {"top.txt", "docs", "docs\\a.txt", "docs\\名前.txt", "docs\\サブ", "docs\\サブ\\b.txt"}},
      {PathForm::Tree, {kShare + u"\\docs", kShare + u"\\top.txt"},
       {"top.txt", "docs", " ┣a.txt", " ┣名前.txt", " ┗サブ", " 　 ┗b.txt"}},
      {PathForm::Tree, {kShare}, {"SHARE", " ┣top.txt", " ┗docs", " 　 ┣a.txt", " 　 ┣名前.txt", " 　 ┗サブ",
                                  " 　 　 ┗b.txt"}},
      // The link back to "top" is listed as a folder and not entered.
      {PathForm::Relative, {link}, {"top", "top\\inner", "top\\inner\\back"}, ItemFilter::FoldersOnly},
      {PathForm::Absolute, {FromUtf8(deep[0].c_str())}, deep},
  };
  for (const auto& row : rows) {
    ListingRequest request = MakeRequest({row.form, u'\\', row.filter, true, true}, row.inputs);
    SCOPED_TRACE(Utf8(row.inputs[0]));
    int64_t live = GetAllocationStats().liveBlocks;
    uint64_t start = GetAllocationStats().allocations;
    std::u16string whole, text;
    EXPECT_EQ(ListToClipboard(request, &whole), ListingOutcome::Done);
    uint64_t needed = GetAllocationStats().allocations - start;
    EXPECT_EQ(Lines(whole), row.expected);
    EXPECT_EQ(ClipboardText(), whole);
    for (uint64_t k = 1; k <= needed; ++k) {
      SetClipboard(kOldText);
      ArmAllocationFailure(k);
      EXPECT_EQ(ListToClipboard(request, &text), ListingOutcome::Failed) << "allocation " << k;
      ArmAllocationFailure(0);
      EXPECT_EQ(GetAllocationStats().liveBlocks, live) << "allocation " << k;
      EXPECT_EQ(ClipboardText(), kOldText) << "allocation " << k;
    }
    EXPECT_EQ(text, whole) << "the last allocation is the clipboard's block, after the whole listing";
    FreeListingRequest(&request);
  }
}

// Another process holds the clipboard for 3 s, longer than the layer waits.
TEST(Win32Layer, ABusyClipboardFailsAndKeepsTheOldText) {
  Share share;
  SetClipboard(kOldText);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  fs::path holderPath = fs::path(self).parent_path() / L"clipboard_holder.exe";
  FILE* holder = _wpopen((L"\"" + holderPath.wstring() + L"\" 3000").c_str(), L"r");
  ASSERT_NE(holder, nullptr);
  char said[16] = {};
  std::fgets(said, sizeof said, holder);  // "held" once it has the clipboard
  ListingRequest request = MakeRequest(kDefaultOptions, {kShare + u"\\top.txt"});
  std::u16string text;
  ListingOutcome outcome = ListToClipboard(request, &text);
  FreeListingRequest(&request);
  _pclose(holder);  // waits for the holder to end
  ASSERT_STREQ(said, "held\n");
  EXPECT_EQ(outcome, ListingOutcome::Failed);
  EXPECT_EQ(ClipboardText(), kOldText);
}

// The POSIX build's table, included as platform/posix/ansi_code.cpp does, against the system's.
const uint16_t kCheckedInTable[65536] = {
#include "platform/posix/ansi_cp932.tbl"
};

TEST(AnsiCodePage, CheckedInTableIsTheSystemConversionOfEveryUnit) {
  ASSERT_EQ(GetACP(), 932u);
  for (unsigned unit = 0; unit < 65536; ++unit) {
    ASSERT_EQ(AnsiCode(static_cast<char16_t>(unit)), kCheckedInTable[unit]) << std::hex << "U+" << unit;
  }
}

}  // namespace
