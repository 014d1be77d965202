// Line building: path forms, affixes, extension cutting, the tree indent.

#include <gtest/gtest.h>

#include "engine/output_line.h"
#include "platform/memory.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/test_support.h"

namespace {

class OutputLineTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    g_job.filePrefix = filePrefix;
    g_job.filePrefixLength = 2;
    g_job.fileSuffix = empty;
    g_job.fileSuffixLength = 0;
    g_job.folderPrefix = folderPrefix;
    g_job.folderPrefixLength = 1;
    g_job.folderSuffix = folderSuffix;
    g_job.folderSuffixLength = 1;
    g_job.totalChars = 0;
    g_job.lineCount = 0;
  }
  void TearDown() override {
    FreeNodeList(&head, &tail);
    ReleaseTreeIndent();
    g_job.filePrefix = g_job.fileSuffix = g_job.folderPrefix = g_job.folderSuffix = nullptr;
    EngineTest::TearDown();
  }
  // The line for a path, in the current settings; commonPrefixLength is 8
  // (C:\Work\) for Relative and Tree, 0 otherwise, as the gatherer sets it.
  std::u16string Line(std::u16string path, bool isFile) {
    PathForm form = g_settings.pathForm;
    g_job.commonPrefixLength = form == PathForm::Relative || form == PathForm::Tree ? 8 : 0;
    AppendOutputLine(&head, &tail, path.data(), static_cast<int32_t>(path.size()), isFile);
    return std::u16string(tail->text, static_cast<size_t>(tail->length));
  }
  std::u16string Indent() const { return std::u16string(g_job.treeIndent.text, static_cast<size_t>(g_job.treeIndent.length)); }

  char16_t filePrefix[3] = u"- ";
  char16_t empty[1] = u"";
  char16_t folderPrefix[2] = u"[";
  char16_t folderSuffix[2] = u"]";
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
};

TEST_F(OutputLineTest, EveryPathFormWithAffixes) {
  struct Row {
    PathForm form;
    const char16_t* file;
    const char16_t* folder;
  };
  const Row rows[] = {
      {PathForm::Absolute, u"- C:\\Work\\docs\\a.md", u"[C:\\Work\\docs\\img]"},
      {PathForm::Relative, u"- docs\\a.md", u"[docs\\img]"},
      {PathForm::NameOnly, u"- a.md", u"[img]"},
  };
  for (const Row& row : rows) {
    g_settings.pathForm = row.form;
    EXPECT_EQ(Line(u"C:\\Work\\docs\\a.md", true), row.file);
    EXPECT_EQ(Line(u"C:\\Work\\docs\\img", false), row.folder);
  }
  g_settings.pathForm = PathForm::Tree;
  EXPECT_EQ(Line(u"C:\\Work\\b.txt", true), u"- b.txt");  // outermost level: no indent
  PushIndent();
  EXPECT_EQ(Line(u"C:\\Work\\docs\\a.md", true), u" \u2523- a.md");
  MarkLastSibling();
  EXPECT_EQ(Line(u"C:\\Work\\docs\\img", false), u" \u2517[img]");
}

TEST_F(OutputLineTest, CountersAddEveryLine) {
  g_settings.pathForm = PathForm::Relative;
  g_job.filePrefixLength = 2;
  Line(u"C:\\Work\\docs\\a.md", true);
  Line(u"C:\\Work\\docs\\img", false);
  EXPECT_EQ(g_job.lineCount, 2);
  EXPECT_EQ(g_job.totalChars, 11 + 10);
}

TEST_F(OutputLineTest, HiddenExtensionsCutOnlyTheLastComponentOfFiles) {
  g_settings.extensionShown = false;
  g_settings.pathForm = PathForm::Absolute;
  EXPECT_EQ(Line(u"C:\\Work\\docs\\a.md", true), u"- C:\\Work\\docs\\a");
  EXPECT_EQ(Line(u"C:\\Work\\a.tar.gz", true), u"- C:\\Work\\a.tar");
  EXPECT_EQ(Line(u"C:\\Work\\data.old\\readme", true), u"- C:\\Work\\data.old\\readme");
  EXPECT_EQ(Line(u"C:\\Work\\name.", true), u"- C:\\Work\\name");
  EXPECT_EQ(Line(u"C:\\Work\\data.old", false), u"[C:\\Work\\data.old]");
  // A name whose only full stop is its first unit has no extension to cut.
  EXPECT_EQ(Line(u"C:\\Work\\.profile", true), u"- C:\\Work\\.profile");
  EXPECT_EQ(Line(u"C:\\Work\\.config.json", true), u"- C:\\Work\\.config");
  g_settings.pathForm = PathForm::NameOnly;
  EXPECT_EQ(Line(u"C:\\Work\\.gitignore", true), u"- .gitignore");
  g_settings.pathForm = PathForm::Relative;
  EXPECT_EQ(Line(u"C:\\Work\\.gitignore", true), u"- .gitignore");
}

TEST_F(OutputLineTest, NameStartOfRootsAndNetworkPaths) {
  g_job.commonPrefixLength = 0;
  EXPECT_EQ(NameStart(u"C:\\"), 0);
  EXPECT_EQ(NameStart(u"C:\\Work\\"), 3);
  EXPECT_EQ(NameStart(u"\\\\srv"), 2);
  EXPECT_EQ(NameStart(u"\\\\srv\\pub\\a.txt"), 10);
  g_settings.pathForm = PathForm::NameOnly;
  g_job.folderPrefixLength = 0;
  g_job.folderSuffixLength = 0;
  EXPECT_EQ(Line(u"C:\\", false), u"C:\\");
  // A prefix index past the end of a shorter text reads nothing beyond it.
  g_job.commonPrefixLength = 40;
  EXPECT_EQ(NameStart(u"C:\\a"), 4);
}

TEST_F(OutputLineTest, IndentCellsFollowTheDescent) {
  MarkLastSibling();
  PopIndent();
  EXPECT_EQ(Indent(), u"");
  PushIndent();
  EXPECT_EQ(Indent(), u" \u2523");
  PushIndent();
  EXPECT_EQ(Indent(), u" \u2503 \u2523");
  MarkLastSibling();
  EXPECT_EQ(Indent(), u" \u2503 \u2517");
  PushIndent();
  EXPECT_EQ(Indent(), u" \u2503 \u3000 \u2523");
  PopIndent();
  EXPECT_EQ(Indent(), u" \u2503 \u3000");
  MarkLastSibling();  // a last glyph other than U+2523 stays
  EXPECT_EQ(Indent(), u" \u2503 \u3000");
  PopIndent();
  EXPECT_EQ(Indent(), u" \u2523");
  PopIndent();
  EXPECT_EQ(Indent(), u"");
}

TEST_F(OutputLineTest, IndentGrowsPastAnyFixedSize) {
  g_settings.pathForm = PathForm::Tree;
  for (int level = 0; level < 1000; ++level) PushIndent();
  EXPECT_EQ(g_job.treeIndent.length, 2000);
  std::u16string line = Line(u"C:\\Work\\deep\\x", true);
  EXPECT_EQ(line.size(), 2000u + 3);
  EXPECT_EQ(line.substr(1996), u" \u2503 \u2523- x");
}

TEST_F(OutputLineTest, AllocationFailureAddsNoLine) {
  g_settings.pathForm = PathForm::Absolute;
  Line(u"C:\\Work\\a.txt", true);
  for (uint64_t k : {1u, 2u}) {
    g_job.abortFlag = false;
    g_job.failureFlag = false;
    PathNode* oldTail = tail;
    std::u16string path = u"C:\\Work\\b.txt";
    ArmAllocationFailure(k);
    AppendOutputLine(&head, &tail, path.data(), static_cast<int32_t>(path.size()), true);
    ArmAllocationFailure(0);
    EXPECT_EQ(tail, oldTail);
    EXPECT_EQ(oldTail->next, nullptr);
    EXPECT_EQ(g_job.lineCount, 1);
    EXPECT_TRUE(Failed());
    EXPECT_TRUE(Aborted());
  }
  g_job.abortFlag = false;
  g_job.failureFlag = false;
}

}  // namespace
