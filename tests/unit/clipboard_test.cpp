// The clipboard text: joining, separators, sizes, and failures that must
// leave the user's clipboard as it was. Under Wine this is the real
// clipboard.

#include <gtest/gtest.h>

#include "engine/clipboard_text.h"
#include "engine/output_line.h"
#include "platform/memory.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/test_support.h"

namespace {

class ClipboardTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    WriteClipboardForTest(u"what the user had");
  }
  // The clipboard step over lines appended as the builders append them.
  void Copy(const std::vector<std::u16string>& lines, PathForm form = PathForm::Absolute) {
    g_settings.pathForm = form;
    g_job.commonPrefixLength = 0;
    g_job.totalChars = 0;
    g_job.lineCount = 0;
    PathNode* head = nullptr;
    PathNode* tail = nullptr;
    for (std::u16string line : lines) {
      AppendOutputLine(&head, &tail, line.data(), static_cast<int32_t>(line.size()), false);
    }
    CopyListToClipboard(&head, &tail);
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(tail, nullptr);
  }
  static std::u16string Data(const std::u16string& text) { return text + std::u16string(1, u'\0'); }
};

TEST_F(ClipboardTest, LinesAreJoinedWithCrLfAndNoneAfterTheLast) {
  Copy({u"a", u"b"});
  EXPECT_EQ(ReadClipboardForTest(), Data(u"a\r\nb"));
  Copy({u"\u540D\u524D.txt"});
  EXPECT_EQ(ReadClipboardForTest(), Data(u"\u540D\u524D.txt"));
  EXPECT_FALSE(Failed());
}

TEST_F(ClipboardTest, NoLinesGiveTheEmptyText) {
  Copy({});
  EXPECT_EQ(ReadClipboardForTest(), Data(u""));
  EXPECT_FALSE(Failed());
}

TEST_F(ClipboardTest, SlashSeparatorReplacesEveryBackslashButNoGlyph) {
  g_settings.separator = kSlash;
  char16_t suffix[2] = u"\\";
  g_job.folderSuffix = suffix;
  g_job.folderSuffixLength = 1;
  PushIndent();
  PopIndent();
  Copy({u"C:\\Work\\docs\\img\\p.png", u"\\\\srv\\pub"});
  g_job.folderSuffix = nullptr;
  g_job.folderSuffixLength = 0;
  EXPECT_EQ(ReadClipboardForTest(), Data(u"C:/Work/docs/img/p.png/\r\n//srv/pub/"));
  ReleaseTreeIndent();
}

TEST_F(ClipboardTest, TreeGlyphsSurviveTheSlash) {
  g_settings.separator = kSlash;
  PushIndent();
  PushIndent();
  MarkLastSibling();
  PushIndent();
  Copy({u"C:\\x\\y\\z.txt"}, PathForm::Tree);
  ReleaseTreeIndent();
  EXPECT_EQ(ReadClipboardForTest(), Data(u" \u2503 \u3000 \u2523z.txt"));
}

TEST_F(ClipboardTest, ABusyClipboardFailsTheJobAndKeepsItsContent) {
  g_clipboard.setText = [](const char16_t*, size_t) { return ClipboardResult::Busy; };
  Copy({u"a", u"b"});
  EXPECT_TRUE(Failed());
  EXPECT_TRUE(Aborted());
  EXPECT_EQ(ReadClipboardForTest(), Data(u"what the user had"));
}

TEST_F(ClipboardTest, AllocationFailureKeepsTheOldContent) {
  // The working text, then the clipboard's own block.
  for (uint64_t k : {1u, 2u}) {
    g_job.abortFlag = false;
    g_job.failureFlag = false;
    g_settings.pathForm = PathForm::Absolute;
    g_job.commonPrefixLength = 0;
    g_job.totalChars = 0;
    g_job.lineCount = 0;
    PathNode* head = nullptr;
    PathNode* tail = nullptr;
    std::u16string line = u"C:\\a.txt";
    AppendOutputLine(&head, &tail, line.data(), 8, true);
    ArmAllocationFailure(k);
    CopyListToClipboard(&head, &tail);
    ArmAllocationFailure(0);
    EXPECT_TRUE(Failed()) << k;
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(ReadClipboardForTest(), Data(u"what the user had"));
  }
  g_job.abortFlag = false;
  g_job.failureFlag = false;
}

TEST_F(ClipboardTest, ATextTooLargeForMemoryFailsCleanly) {
  // Counters that no allocation can satisfy, and counters past 32 bits: the
  // size is computed in 64 bits and the allocation refused.
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  g_job.totalChars = int64_t{1} << 62;
  g_job.lineCount = int64_t{1} << 40;
  CopyListToClipboard(&head, &tail);
  EXPECT_TRUE(Failed());
  EXPECT_EQ(ReadClipboardForTest(), Data(u"what the user had"));
}

// A whole job from a drop to the clipboard, failing at every allocation in
// turn: each run fails, frees everything and leaves the clipboard alone.
TEST_F(ClipboardTest, AFailingAllocationAnywhereInAJobLeavesTheClipboardAlone) {
  TempFolder folder;
  folder.AddFile(u"w/a.txt");
  folder.AddFile(u"w/sub/b.txt");
  folder.AddFile(u"w/sub/deeper/c.txt");
  std::vector<std::u16string> drop = {folder.path() + u"\\w", folder.path() + u"\\w\\a.txt"};
  SetAffixes(u"<", u">", u"[", u"]");
  for (PathForm form : {PathForm::Absolute, PathForm::Relative, PathForm::NameOnly, PathForm::Tree}) {
    g_settings.pathForm = form;
    uint64_t before = GetAllocationStats().allocations;
    RunDropJobToClipboard(drop);
    uint64_t needed = GetAllocationStats().allocations - before;
    ASSERT_FALSE(Failed());
    std::u16string expected = ReadClipboardForTest();
    for (uint64_t k = 1; k <= needed; ++k) {
      WriteClipboardForTest(u"what the user had");
      ArmAllocationFailure(k);
      RunDropJobToClipboard(drop);
      ArmAllocationFailure(0);
      EXPECT_TRUE(Failed() && Aborted()) << "form " << static_cast<int>(form) << " allocation " << k;
      EXPECT_EQ(ReadClipboardForTest(), Data(u"what the user had")) << "allocation " << k;
      g_job.abortFlag = false;
      g_job.failureFlag = false;
    }
    RunDropJobToClipboard(drop);  // and the next job succeeds
    EXPECT_FALSE(Failed());
    EXPECT_EQ(ReadClipboardForTest(), expected);
  }
}

}  // namespace
