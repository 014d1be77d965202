// Gathering a job's input: drops and command lines, unreadable items, the
// common parent folder, network items, cancel, long and odd paths.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/gather.h"
#include "engine/output_line.h"
#include "platform/memory.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/test_support.h"

namespace {

class GatherTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    root = folder.path() + u"\\";
    folder.AddFile(u"Work/Lists/a.txt");
    folder.AddFile(u"Work/Lists/b.txt");
    folder.AddFile(u"Work/c.txt");
    folder.AddFile(u"Work/Lists/d.txt");
    folder.AddFile(u"ab/x.txt");
    folder.AddFile(u"abc/y.txt");
    folder.AddFile(u"My Lists/m.txt");
  }
  // The common prefix after a drop of the paths (relative to the folder).
  int32_t PrefixAfterDrop(const std::vector<std::u16string>& relative) {
    std::vector<std::u16string> paths;
    for (const std::u16string& path : relative) paths.push_back(root + path);
    ListDrop(paths);
    return g_job.commonPrefixLength;
  }
  int32_t Root() const { return static_cast<int32_t>(root.size()); }

  TempFolder folder;
  std::u16string root;  // the folder's path with its final backslash
};

TEST_F(GatherTest, CommonPrefixNarrowsAndNeverGrows) {
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt"}), Root() + 11);
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt", u"Work\\Lists\\b.txt"}), Root() + 11);
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt", u"Work\\Lists\\b.txt", u"Work\\c.txt"}), Root() + 5);
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt", u"Work\\c.txt", u"Work\\Lists\\d.txt"}), Root() + 5);
  EXPECT_EQ(PrefixAfterDrop({u"Work\\c.txt", u"Work\\Lists\\a.txt"}), Root() + 5);
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists"}), Root() + 5);
  EXPECT_EQ(PrefixAfterDrop({u"ab\\x.txt", u"abc\\y.txt"}), Root());
}

TEST_F(GatherTest, CommonPrefixComparesUnitsExactly) {
  // Two spellings of one folder cannot both exist on one file system here;
  // the query reports both readable, so only the comparison decides.
  g_fileSystem.queryAttributes = [](const char16_t*) { return uint32_t{0x20}; };
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt", u"work\\Lists\\e.txt"}), Root());
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt", u"Work\\lists\\e.txt"}), Root() + 5);
}

TEST_F(GatherTest, PrefixIsSetOnlyForRelativeAndTree) {
  for (PathForm form : {PathForm::Absolute, PathForm::NameOnly}) {
    g_settings.pathForm = form;
    EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt"}), 0);
  }
  g_settings.pathForm = PathForm::Tree;
  EXPECT_EQ(PrefixAfterDrop({u"Work\\Lists\\a.txt"}), Root() + 11);
}

TEST_F(GatherTest, UnreadableItemsAreLeftOutAndDoNotNarrowThePrefix) {
  std::vector<std::u16string> lines =
      ListDrop({root + u"Work\\Lists\\a.txt", folder.path() + u"-missing\\zzz.txt", root + u"Work\\Lists\\b.txt"});
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"a.txt", u"b.txt"}));
  EXPECT_EQ(g_job.commonPrefixLength, Root() + 11);
  EXPECT_FALSE(Aborted());
}

TEST_F(GatherTest, NothingReadableListsNothingAndLeavesThePrefixUnset) {
  std::vector<std::u16string> lines = ListDrop({root + u"nothing-here"});
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(g_job.commonPrefixLength, kCommonPrefixUnset);
  EXPECT_FALSE(Aborted());
}

TEST_F(GatherTest, DroppedItemsAreSortedFilesFirst) {
  folder.AddFile(u"Work/file10.txt");
  folder.AddFile(u"Work/file2.txt");
  g_settings.folderScan = false;
  std::vector<std::u16string> lines =
      ListDrop({root + u"Work\\Lists", root + u"Work\\file10.txt", root + u"Work\\file2.txt", root + u"Work\\c.txt"});
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"c.txt", u"file2.txt", u"file10.txt", u"Lists"}));
}

TEST_F(GatherTest, CommandLineGrammar) {
  g_settings.folderScan = false;
  g_settings.pathForm = PathForm::Absolute;
  std::u16string a = root + u"Work\\c.txt";
  std::u16string lists = root + u"My Lists";
  // A quoted path with spaces, then an unquoted one.
  EXPECT_EQ(ListCommandLine(u"\"C:\\Tools\\app.exe\" \"" + lists + u"\" " + a),
            (std::vector<std::u16string>{a, lists}));
  // Runs of spaces separate like one.
  EXPECT_EQ(ListCommandLine(u"\"C:\\Tools\\app.exe\"   " + a + u"   "), (std::vector<std::u16string>{a}));
  // An open quote runs to the end of the line.
  EXPECT_EQ(ListCommandLine(u"\"C:\\Tools\\app.exe\" \"" + lists), (std::vector<std::u16string>{lists}));
  // A closing quote ends a token even without a space after it.
  EXPECT_EQ(ListCommandLine(u"\"C:\\Tools\\app.exe\" \"" + lists + u"\"" + a),
            (std::vector<std::u16string>{a, lists}));
  // The same path twice gives two entries.
  EXPECT_EQ(ListCommandLine(u"\"app\" " + a + u" " + a), (std::vector<std::u16string>{a, a}));
  // A quote inside an unquoted token is part of it: no such file.
  EXPECT_TRUE(ListCommandLine(u"\"app\" " + a + u"\"b").empty());
  // A tab is an ordinary character: a token that begins with one names no file.
  EXPECT_TRUE(ListCommandLine(u"\"app\"\t" + a).empty());
  // An empty quoted token is left out like any unreadable path.
  EXPECT_EQ(ListCommandLine(u"\"app\" \"\" " + a), (std::vector<std::u16string>{a}));
  EXPECT_FALSE(Aborted());
}

TEST_F(GatherTest, UnquotedProgramPathRunsToTheFirstSpace) {
  g_settings.pathForm = PathForm::Absolute;
  std::u16string a = root + u"Work\\c.txt";
  EXPECT_EQ(ListCommandLine(u"dorrowin " + a), (std::vector<std::u16string>{a}));
  EXPECT_FALSE(Aborted());
  EXPECT_TRUE(ListCommandLine(u"dorrowin").empty());
  EXPECT_FALSE(Aborted());
}

TEST_F(GatherTest, UnclosedProgramQuoteFailsTheJob) {
  std::vector<std::u16string> lines = ListCommandLine(u"\"C:\\Tools\\app.exe " + root + u"Work\\c.txt");
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(Aborted());
  EXPECT_TRUE(Failed());
}

TEST_F(GatherTest, RepeatedBackslashesGiveTheSameEntry) {
  g_settings.pathForm = PathForm::Tree;
  g_settings.folderScan = false;
  std::u16string doubled = root + u"Work\\\\\\Lists\\\\a.txt";
  std::vector<std::u16string> lines = ListCommandLine(u"\"app\" " + doubled + u" " + root + u"Work\\c.txt");
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"c.txt", u"Lists", u" \u2517a.txt"}));
  g_settings.pathForm = PathForm::Absolute;
  EXPECT_EQ(ListCommandLine(u"\"app\" " + doubled), (std::vector<std::u16string>{root + u"Work\\Lists\\a.txt"}));
}

TEST_F(GatherTest, CancelDuringTheItemLoopListsNothing) {
  static int queries;
  queries = 0;
  static uint32_t (*real)(const char16_t*);
  real = g_fileSystem.queryAttributes;
  g_fileSystem.queryAttributes = [](const char16_t* path) {
    if (++queries == 2) g_job.abortFlag = true;  // the user presses Cancel
    return real(path);
  };
  std::vector<std::u16string> lines =
      ListDrop({root + u"Work\\c.txt", root + u"Work\\Lists\\a.txt", root + u"Work\\Lists\\b.txt"});
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(queries, 2);
  EXPECT_TRUE(Aborted());
  EXPECT_FALSE(Failed());
}

TEST_F(GatherTest, PathsLongerThanTheClassicLimitAreListedInFull) {
  // A real chain of folders far past 260 units.
  std::u16string relative;
  for (int level = 0; level < 12; ++level) {
    relative += (level ? u"/" : u"") + std::u16string(60, static_cast<char16_t>(u'a' + level));
  }
  std::u16string deepFolder = folder.AddFolder(relative);
  std::u16string file = folder.AddFile(relative + u"/last.txt");
  ASSERT_GT(file.size(), 700u);
  g_settings.pathForm = PathForm::Absolute;
  std::vector<std::u16string> lines = ListDrop({deepFolder});
  EXPECT_EQ(lines, (std::vector<std::u16string>{deepFolder, file}));
}

TEST_F(GatherTest, APathOfTheSystemMaximumIsNotCut) {
  // No folder this deep can be made here: the attribute query is faked, the
  // drop and every buffer are real.
  std::u16string path = u"C:\\" + std::u16string(32767 - 3, u'x');
  g_fileSystem.queryAttributes = [](const char16_t*) { return uint32_t{0x20}; };
  g_settings.pathForm = PathForm::Absolute;
  std::vector<std::u16string> lines = ListDrop({path});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], path);
}

TEST_F(GatherTest, AllocationFailureAtAnyStepFailsCleanly) {
  std::vector<std::u16string> paths = {root + u"Work\\c.txt", root + u"Work\\Lists"};
  uint64_t before = GetAllocationStats().allocations;
  ListDrop(paths);
  uint64_t needed = GetAllocationStats().allocations - before;
  ASSERT_GT(needed, 5u);
  for (uint64_t k = 1; k <= needed; ++k) {
    g_job.abortFlag = false;
    g_job.failureFlag = false;
    ArmAllocationFailure(k);
    std::vector<std::u16string> lines = ListDrop(paths);
    ArmAllocationFailure(0);
    EXPECT_TRUE(Failed()) << "allocation " << k;
    EXPECT_TRUE(Aborted()) << "allocation " << k;
  }
  g_job.abortFlag = false;
  g_job.failureFlag = false;
}

// A fake network: the letters z, y and x are in use, w connects; every
// call is recorded.
struct FakeNetwork {
  static inline std::vector<std::u16string> calls;
  static inline char16_t freeLetter = u'w';
  static bool Connect(const char16_t* remote, const char16_t* drive) {
    calls.push_back(u"connect " + std::u16string(drive) + u" " + remote);
    return drive[0] <= freeLetter;
  }
  static void Cancel(const char16_t* drive) { calls.push_back(u"cancel " + std::u16string(drive)); }
  static uint32_t Query(const char16_t* path) {
    calls.push_back(u"query " + std::u16string(path));
    std::u16string text(path);
    if (text == u"w:\\a.txt" || text == u"\\\\srv\\pub\\docs\\b.txt") return 0x20;
    if (text == u"\\\\srv\\pub") return 0x10;
    return 0xFFFFFFFFu;
  }
};

TEST_F(GatherTest, NetworkItemsAreQueriedThroughATemporaryDrive) {
  FakeNetwork::calls.clear();
  FakeNetwork::freeLetter = u'w';
  g_network = NetworkApi{FakeNetwork::Connect, FakeNetwork::Cancel};
  g_fileSystem.queryAttributes = FakeNetwork::Query;
  g_settings.pathForm = PathForm::Absolute;
  std::vector<std::u16string> lines = ListDrop({u"\\\\srv\\pub\\docs\\a.txt"});
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"\\\\srv\\pub\\docs\\a.txt"}));
  EXPECT_EQ(FakeNetwork::calls, (std::vector<std::u16string>{
                                    u"connect z: \\\\srv\\pub\\docs", u"connect y: \\\\srv\\pub\\docs",
                                    u"connect x: \\\\srv\\pub\\docs", u"connect w: \\\\srv\\pub\\docs",
                                    u"query w:\\a.txt", u"cancel w:"}));
}

TEST_F(GatherTest, NetworkItemsWithoutAFreeLetterAreQueriedDirectly) {
  FakeNetwork::calls.clear();
  FakeNetwork::freeLetter = 0;  // every letter refused
  g_network = NetworkApi{FakeNetwork::Connect, FakeNetwork::Cancel};
  g_fileSystem.queryAttributes = FakeNetwork::Query;
  g_settings.pathForm = PathForm::Relative;
  g_settings.folderScan = false;
  std::vector<std::u16string> lines = ListDrop({u"\\\\srv\\pub\\docs\\b.txt", u"\\\\srv\\pub"});
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"pub\\docs\\b.txt", u"pub"}));
  EXPECT_EQ(g_job.commonPrefixLength, 6);  // \\srv\ is all they share
  ASSERT_EQ(FakeNetwork::calls.size(), 2u * 27);
  EXPECT_EQ(FakeNetwork::calls[25], u"connect a: \\\\srv\\pub\\docs");
  EXPECT_EQ(FakeNetwork::calls[26], u"query \\\\srv\\pub\\docs\\b.txt");
  EXPECT_EQ(FakeNetwork::calls[27], u"connect z: \\\\srv");
  EXPECT_EQ(FakeNetwork::calls[53], u"query \\\\srv\\pub");
}

}  // namespace
