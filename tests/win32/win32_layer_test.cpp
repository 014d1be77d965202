// The Win32 layer under Wine: listings of a network share, a host link and a long path; the real clipboard.
#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "platform/clipboard.h"
#include "platform/win32/win32_window.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
static const std::u16string kShare = u"\\\\DORROWINSRV\\SHARE";
struct Row { PathForm form; std::vector<std::u16string> in; std::vector<std::string> lines; };
static const struct Share {  // Wine serves $WINEPREFIX/dosdevices/unc/SERVER/SHARE as \\SERVER\SHARE
  fs::path root = fs::path("Z:" + std::string(std::getenv("WINEPREFIX"))) / "dosdevices/unc/DORROWINSRV/SHARE";
  Share() {
    fs::create_directories(root / u8"docs/サブ");
    for (auto n : {u8"top.txt", u8"docs/a.txt", u8"docs/名前.txt", u8"docs/サブ/b.txt"}) std::ofstream(root / n) << "x";
  }
  ~Share() { fs::remove_all(root); }
} share;

static std::u16string Clipboard() {  // waits while another process lets go of it
  for (int attempt = 0; !OpenClipboard(nullptr); Sleep(10)) if (++attempt == 500) return u"<busy>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::u16string text = data ? static_cast<const char16_t*>(GlobalLock(data)) : u"<none>";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  return text;
}
static std::u16string clipboardHolds = Clipboard();  // and then the text of the last job that stored it

// A job as the worker runs it, allocation failAt failing; the clipboard kept when storage runs out or it is busy.
// 0: storage lasted; 1: it ran out; 2: only the clipboard's block failed.
static int Job(const Row& row, uint64_t failAt, bool busy = false) {
  SCOPED_TRACE(Utf8(row.in[0]) + ", allocation " + std::to_string(failAt) + " failing");
  ListingOptions options{row.form, u'\\', ItemFilter::FilesAndFolders, true, true};
  options.readers = 8;  // from the start: left to the engine, when the pool starts depends on the time reads take
  ListingRequest request = MakeRequest(options, row.in);
  AllocationStats before = GetAllocationStats();
  ListingText out{};
  ArmAllocationFailure(failAt);
  ListingOutcome listed = BuildListing(request, std::atomic<bool>{false}, &out);
  bool copied = listed == ListingOutcome::Done && CopyListingToClipboard(out);
  ArmAllocationFailure(0);
  EXPECT_EQ(out.folderReadErrors, 0u);
  out = ListingText{};
  bool ranOut = GetAllocationStats().failures != before.failures;
  EXPECT_EQ(copied, !ranOut && !busy);
  EXPECT_EQ(GetAllocationStats().liveBlocks, before.liveBlocks);
  if (copied) EXPECT_EQ(Lines(clipboardHolds = Clipboard()), row.lines);
  else EXPECT_EQ(Clipboard(), clipboardHolds);
  return ranOut ? 1 + (listed == ListingOutcome::Done) : 0;
}

// Each listing reaches the clipboard whole, or not at all when any one allocation fails or the clipboard is busy.
TEST(Win32Layer, ListingsReachTheClipboardWholeOrNotAtAll) {
  ScratchFolder scratch;
  std::vector<std::string> deep{Utf8(scratch[""])};  // five folders of 60-unit names and a file: over 300 units
  for (char c : std::string("abcdef")) deep.push_back(deep.back() + "\\" + (c < 'f' ? std::string(60, c) : "f.txt"));
  scratch.Make({deep.back().substr(deep[0].size() + 1)});
  const Row rows[] = {
      {PathForm::Relative, {kShare + u"\\docs", kShare + u"\\top.txt"},
       {"top.txt", "docs", "docs\\a.txt", "docs\\名前.txt", "docs\\サブ", "docs\\サブ\\b.txt"}},
      {PathForm::Tree, {kShare}, {"SHARE", " ┣top.txt", " ┗docs", " 　 ┣a.txt", " 　 ┣名前.txt", " 　 ┗サブ", " 　 　 ┗b.txt"}},
      {PathForm::Relative, {EnginePath(DORROWIN_LINK_FIXTURE u"/top")},  // the link "back" is a folder, not entered
       {"top", "top\\inner", "top\\inner\\f.txt", "top\\inner\\back"}},
      {PathForm::Absolute, {scratch[std::string(60, 'a')]}, {deep.begin() + 1, deep.end()}},
  };
  for (const Row& row : rows) {
    int last = 0;
    for (uint64_t k = 1; int ran = Job(row, k); ++k) last = ran;
    EXPECT_EQ(last, 2) << "the last allocation is the clipboard's block, after the whole listing";
  }
  // A holder keeps the clipboard for 3 s, longer than the layer waits; it says "held" once it has it.
  std::string exe = fs::path(__argv[0]).replace_filename("clipboard_holder.exe").string();
  FILE* holder = _popen(('"' + exe + "\" 3000").c_str(), "r");
  ASSERT_TRUE(holder && std::fgetc(holder) == 'h');
  Job({PathForm::Relative, {kShare + u"\\top.txt"}}, 0, true);
  _pclose(holder);
}

// The console tool's copy stores from a window of its own, as Windows demands; a refusal after EmptyClipboard
// (faked: the real emptying happened) puts the old text back.
TEST(Win32Layer, ConsoleCopyHasAnOwnerAndARefusedCopyKeepsTheOldText) {
  static HWND owner;
  static int refusals;
  g_setClipboardData = [](UINT format, HANDLE data) -> HANDLE {
    owner = GetClipboardOwner();
    return refusals-- > 0 ? nullptr : SetClipboardData(format, data);
  };
  auto copy = [](const char16_t* text) {
    return g_clipboard.setText(std::char_traits<char16_t>::length(text),
                               [](const void* from, char16_t* to) { std::u16string_view t(static_cast<const char16_t*>(from)); t.copy(to, t.size()); }, text);
  };
  refusals = 0;
  EXPECT_EQ(copy(u"old"), ClipboardResult::Stored);
  EXPECT_NE(owner, nullptr);
  EXPECT_EQ(Clipboard(), u"old");
  refusals = 1;
  EXPECT_EQ(copy(u"new"), ClipboardResult::NoMemory);
  EXPECT_EQ(Clipboard(), u"old");
  g_setClipboardData = SetClipboardData;
  clipboardHolds = Clipboard();
}

// Files on the real clipboard taken as a drop in order: an unended list read to its block's end; one outside its
// block or holding no name is no files; no storage for the copy.
TEST(Win32Layer, FilesOnTheClipboardAreTakenAsADrop) {
  using Paths = std::vector<std::u16string>;
  auto take = [](DWORD offset, BOOL wide, std::u16string list, uint64_t failAt = 0) {
    DROPFILES head{offset, {0, 0}, FALSE, wide};
    std::string bytes = std::string(reinterpret_cast<char*>(&head), sizeof(head)) +
                        (wide ? std::string(reinterpret_cast<char*>(list.data()), list.size() * 2) : Utf8(list));
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size()), GlobalUnlock(block);
    EXPECT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_HDROP, block) && CloseClipboard());
    DropHandle drop = nullptr;
    Paths paths{};
    Failing(failAt, [&] { paths.push_back(std::u16string(1, u'0' + int(g_clipboard.takeFiles(&drop)))); });
    for (uint32_t i = 0; drop && i < g_jobInput.dropCount(drop); ++i) {
      paths.emplace_back(g_jobInput.dropPathLength(drop, i) + 1, u'\0');
      paths.back().resize(g_jobInput.dropPath(drop, i, paths.back().data(), paths.back().size()));
    }
    return drop ? g_jobInput.releaseDrop(drop) : void(), paths;
  };
  EXPECT_EQ(take(20, TRUE, std::u16string(u"Z:\\b\0C:\\名前\0\0", 12)), (Paths{u"0", u"Z:\\b", u"C:\\名前"}));
  EXPECT_EQ(take(20, FALSE, std::u16string(u"C:\\a\0\0", 6)), (Paths{u"0", u"C:\\a"}));
  EXPECT_EQ(take(20, TRUE, u"C:\\cut"), (Paths{u"0", u"C:\\cut"}));
  EXPECT_EQ(take(20, TRUE, std::u16string(2, u'\0')), Paths{u"1"});
  EXPECT_EQ(take(40, TRUE, std::u16string(u"C:\\a\0\0", 6)), Paths{u"1"});
  EXPECT_EQ(take(8, TRUE, std::u16string(u"C:\\a\0\0", 6)), Paths{u"1"});
  EXPECT_EQ(take(20, TRUE, std::u16string(u"C:\\a\0\0", 6), 1), Paths{u"2"});
}
