// Flat and tree listings of real folders on disk, and the tree builder on
// paths no test machine has (other drives, network servers).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/flat_listing.h"
#include "engine/output_line.h"
#include "engine/tree_listing.h"
#include "platform/memory.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/test_support.h"

namespace {

using Lines = std::vector<std::u16string>;

// The example folder: Work holds b.txt and docs; docs holds a.md, c.txt,
// img (holding p.png) and the empty folder old.
class ListingTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    work = folder.AddFolder(u"Work");
    folder.AddFile(u"Work/b.txt");
    folder.AddFile(u"Work/docs/c.txt");
    folder.AddFile(u"Work/docs/img/p.png");
    folder.AddFile(u"Work/docs/a.md");
    folder.AddFolder(u"Work/docs/old");
  }
  Lines ListExample() { return ListDrop({work + u"\\docs", work + u"\\b.txt"}); }

  TempFolder folder;
  std::u16string work;
};

TEST_F(ListingTest, EveryFlatFormAndFilter) {
  g_settings.pathForm = PathForm::Absolute;
  const std::u16string w = work + u"\\";
  EXPECT_EQ(ListExample(), (Lines{w + u"b.txt", w + u"docs", w + u"docs\\a.md", w + u"docs\\c.txt",
                                  w + u"docs\\img", w + u"docs\\img\\p.png", w + u"docs\\old"}));
  g_settings.pathForm = PathForm::Relative;
  EXPECT_EQ(ListExample(), (Lines{u"b.txt", u"docs", u"docs\\a.md", u"docs\\c.txt", u"docs\\img",
                                  u"docs\\img\\p.png", u"docs\\old"}));
  g_settings.pathForm = PathForm::NameOnly;
  EXPECT_EQ(ListExample(), (Lines{u"b.txt", u"docs", u"a.md", u"c.txt", u"img", u"p.png", u"old"}));
  g_settings.pathForm = PathForm::Relative;
  g_settings.itemFilter = ItemFilter::FilesOnly;
  EXPECT_EQ(ListExample(), (Lines{u"b.txt", u"docs\\a.md", u"docs\\c.txt", u"docs\\img\\p.png"}));
  g_settings.itemFilter = ItemFilter::FoldersOnly;
  EXPECT_EQ(ListExample(), (Lines{u"docs", u"docs\\img", u"docs\\old"}));
  g_settings.itemFilter = ItemFilter::FilesAndFolders;
  g_settings.folderScan = false;
  EXPECT_EQ(ListExample(), (Lines{u"b.txt", u"docs"}));
  EXPECT_FALSE(Aborted());
}

TEST_F(ListingTest, AffixesAndHiddenExtensionsInAScan) {
  SetAffixes(u"- ", u";", u"[", u"]");
  g_settings.extensionShown = false;
  EXPECT_EQ(ListExample(), (Lines{u"- b;", u"[docs]", u"- docs\\a;", u"- docs\\c;", u"[docs\\img]",
                                  u"- docs\\img\\p;", u"[docs\\old]"}));
}

TEST_F(ListingTest, TreeFormDrawsTheIndent) {
  g_settings.pathForm = PathForm::Tree;
  EXPECT_EQ(ListExample(), (Lines{u"b.txt", u"docs", u" \u2523a.md", u" \u2523c.txt", u" \u2523img",
                                  u" \u2503 \u2517p.png", u" \u2517old"}));
  // A single dropped folder: its name, then its contents one level in.
  EXPECT_EQ(ListDrop({work + u"\\docs\\img"}), (Lines{u"img", u" \u2517p.png"}));
  // FoldersOnly: the last line of a level whose last node is a file keeps ┣.
  g_settings.itemFilter = ItemFilter::FoldersOnly;
  EXPECT_EQ(ListExample(), (Lines{u"docs", u" \u2523img", u" \u2517old"}));
}

TEST_F(ListingTest, TreeListsIntermediateFoldersWithoutScanningThem) {
  g_settings.pathForm = PathForm::Tree;
  folder.AddFile(u"Work/src/main.c");
  folder.AddFile(u"Work/src/other.c");
  folder.AddFile(u"Work/doc/r.txt");
  EXPECT_EQ(ListDrop({work + u"\\src\\main.c", work + u"\\doc"}),
            (Lines{u"src", u" \u2517main.c", u"doc", u" \u2517r.txt"}));
  // Files merge first, in name order, so a folder can precede a file.
  folder.AddFile(u"Work/p/q/z.txt");
  folder.AddFile(u"Work/p/y.txt");
  EXPECT_EQ(ListDrop({work + u"\\p\\y.txt", work + u"\\p\\q\\z.txt"}),
            (Lines{u"q", u" \u2517z.txt", u"y.txt"}));
}

TEST_F(ListingTest, TreeMergesDuplicatesAndPathsOnTheWay) {
  g_settings.pathForm = PathForm::Tree;
  std::u16string b = work + u"\\b.txt";
  EXPECT_EQ(ListCommandLine(u"\"app\" " + b + u" " + b), (Lines{u"b.txt"}));
  g_settings.pathForm = PathForm::Relative;
  EXPECT_EQ(ListCommandLine(u"\"app\" " + b + u" " + b), (Lines{u"b.txt", u"b.txt"}));
  g_settings.pathForm = PathForm::Tree;
  // The folder merged after a file inside it stays on the way: not listed.
  EXPECT_EQ(ListDrop({work + u"\\docs", work + u"\\docs\\c.txt"}), (Lines{u"c.txt"}));
  // Merged first, it stays listed and scanned, and its tree children follow.
  EXPECT_EQ(ListDrop({work + u"\\docs\\img", work + u"\\docs"}),
            (Lines{u"docs", u" \u2523a.md", u" \u2523c.txt", u" \u2523img", u" \u2503 \u2517p.png",
                   u" \u2517old", u" \u2517img", u" \u3000 \u2517p.png"}));
}

TEST_F(ListingTest, NamesSortNaturallyFilesFirstInEveryFolder) {
  g_settings.pathForm = PathForm::NameOnly;
  for (const char16_t* name : {u"s/file10.txt", u"s/file2.txt", u"s/File1.txt", u"s/\u30D5\u30A1\u30A4\u30EB.txt",
                               u"s/\u3075\u3041\u3044\u308B.txt", u"s/\u540D\u524D.txt", u"s/a/x", u"s/B/x"}) {
    folder.AddFile(name);
  }
  g_settings.folderScan = true;
  EXPECT_EQ(ListDrop({folder.path() + u"\\s"}),
            (Lines{u"s", u"File1.txt", u"file2.txt", u"file10.txt", u"\u3075\u3041\u3044\u308B.txt",
                   u"\u30D5\u30A1\u30A4\u30EB.txt", u"\u540D\u524D.txt", u"a", u"x", u"B", u"x"}));
}

TEST_F(ListingTest, AnEmptyOrUnreadableFolderGivesOnlyItsLine) {
  std::u16string empty = folder.AddFolder(u"empty");
  g_settings.pathForm = PathForm::NameOnly;
  EXPECT_EQ(ListDrop({empty}), (Lines{u"empty"}));
  // A folder that vanishes between the query and its scan.
  static std::u16string vanished;
  vanished = empty;
  static uint32_t (*realQuery)(const char16_t*);
  realQuery = g_fileSystem.queryAttributes;
  std::filesystem::remove(folder.native() / "empty");
  g_fileSystem.queryAttributes = [](const char16_t* path) {
    return std::u16string(path) == vanished ? uint32_t{0x10} : realQuery(path);
  };
  EXPECT_EQ(ListDrop({empty}), (Lines{u"empty"}));
  EXPECT_FALSE(Aborted());
}

TEST_F(ListingTest, LinkedFoldersAreListedButNotEntered) {
  std::error_code error;
  std::filesystem::create_directory_symlink(folder.native() / "Work", folder.native() / "Work" / "docs" / "loop", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  g_settings.pathForm = PathForm::Relative;
  g_settings.itemFilter = ItemFilter::FoldersOnly;
  EXPECT_EQ(ListExample(), (Lines{u"docs", u"docs\\img", u"docs\\loop", u"docs\\old"}));
  // A dropped link is scanned (the user chose it); the link met again
  // inside it is not entered.
  EXPECT_EQ(ListDrop({work + u"\\docs\\loop"}),
            (Lines{u"loop", u"loop\\docs", u"loop\\docs\\img", u"loop\\docs\\loop", u"loop\\docs\\old"}));
}

TEST_F(ListingTest, CancelDuringADeepScanStopsAtTheNextEntry) {
  std::u16string deep;
  for (int level = 0; level < 30; ++level) deep += (level ? u"/" : u"") + std::u16string(u"d") + std::u16string(1, u'a' + level % 26);
  folder.AddFile(deep + u"/f1.txt");
  folder.AddFile(deep + u"/f2.txt");
  static int entries;
  entries = 0;
  static bool (*realEnumerate)(const char16_t*, FolderEntryFn, void*);
  realEnumerate = g_fileSystem.enumerateFolder;
  static FolderEntryFn realCallback;
  g_fileSystem.enumerateFolder = [](const char16_t* folderPath, FolderEntryFn onEntry, void* context) {
    realCallback = onEntry;
    return realEnumerate(folderPath, [](void* c, const FolderEntry& entry) {
      if (++entries == 20) g_job.abortFlag = true;  // Cancel, deep in the scan
      return realCallback(c, entry);
    }, context);
  };
  g_settings.pathForm = PathForm::NameOnly;
  Lines lines = ListDrop({folder.path() + u"\\da"});
  EXPECT_TRUE(Aborted());
  EXPECT_FALSE(Failed());
  EXPECT_LT(lines.size(), 12u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), u"f1.txt"), 0);
}

TEST_F(ListingTest, AllocationFailureAnywhereInAScanFailsCleanly) {
  for (PathForm form : {PathForm::Absolute, PathForm::Relative, PathForm::NameOnly, PathForm::Tree}) {
    g_settings.pathForm = form;
    uint64_t before = GetAllocationStats().allocations;
    ListExample();
    uint64_t needed = GetAllocationStats().allocations - before;
    for (uint64_t k = 1; k <= needed; ++k) {
      g_job.abortFlag = false;
      g_job.failureFlag = false;
      ArmAllocationFailure(k);
      Lines lines = ListExample();
      ArmAllocationFailure(0);
      EXPECT_TRUE(Failed() && Aborted()) << "form " << static_cast<int>(form) << " allocation " << k;
      EXPECT_LT(lines.size(), 7u);
    }
    g_job.abortFlag = false;
    g_job.failureFlag = false;
  }
}

// Tree lines for paths that exist nowhere here: the scan is off, so only
// the tree builder runs, on an entry list built as the gatherer builds it.
class TreeBuilderTest : public EngineTest {
 protected:
  Lines Tree(const std::vector<std::pair<std::u16string, uint8_t>>& entries, int32_t commonPrefix) {
    g_settings.pathForm = PathForm::Tree;
    g_settings.folderScan = false;
    g_job.commonPrefixLength = commonPrefix;
    PathNode* entryHead = nullptr;
    PathNode* entryTail = nullptr;
    for (const auto& [path, isFile] : entries) InsertSorted(path.c_str(), 0, &entryHead, &entryTail, isFile);
    PathNode* head = nullptr;
    PathNode* tail = nullptr;
    ListTree(&head, &tail, entryHead);
    Lines lines = ListTexts(head);
    FreeNodeList(&head, &tail);
    FreeNodeList(&entryHead, &entryTail);
    ReleaseTreeIndent();
    return lines;
  }
};

TEST_F(TreeBuilderTest, DrivesAndServersAreRootsOfTheirOwn) {
  EXPECT_EQ(Tree({{u"C:\\a.txt", 1}, {u"D:\\b.txt", 1}}, 0),
            (Lines{u"C:\\", u" \u2517a.txt", u"D:\\", u" \u2517b.txt"}));
  EXPECT_EQ(Tree({{u"\\\\alpha\\s\\f.txt", 1}, {u"\\\\beta\\s\\g.txt", 1}}, 2),
            (Lines{u"alpha", u" \u2517s", u" \u3000 \u2517f.txt", u"beta", u" \u2517s", u" \u3000 \u2517g.txt"}));
  EXPECT_EQ(Tree({{u"C:\\Work\\b.txt", 1}}, 8), (Lines{u"b.txt"}));
  EXPECT_TRUE(Tree({}, kCommonPrefixUnset).empty());
}

}  // namespace
