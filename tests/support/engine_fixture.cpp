#include "tests/support/engine_fixture.h"

#include "engine/clipboard_text.h"
#include "engine/gather.h"
#include "platform/memory.h"
#include "tests/support/test_support.h"

std::u16string EngineTest::s_commandLine;

void EngineTest::SetUp() {
  savedFileSystem_ = g_fileSystem;
  savedNetwork_ = g_network;
  savedClipboard_ = g_clipboard;
  savedJobInput_ = g_jobInput;
  ResetListingSettings();
  g_job.abortFlag.store(false);
  g_job.failureFlag.store(false);
  g_job.pendingDrop = nullptr;
  SetAffixes(u"", u"", u"", u"");
  ArmAllocationFailure(0);
  liveBlocks_ = GetAllocationStats().liveBlocks;
}

void EngineTest::TearDown() {
  ArmAllocationFailure(0);
  g_fileSystem = savedFileSystem_;
  g_network = savedNetwork_;
  g_clipboard = savedClipboard_;
  g_jobInput = savedJobInput_;
  EXPECT_EQ(GetAllocationStats().liveBlocks, liveBlocks_) << "the job left storage allocated";
  g_job.abortFlag.store(false);
  g_job.failureFlag.store(false);
}

void EngineTest::SetAffixes(const std::u16string& filePrefix, const std::u16string& fileSuffix,
                            const std::u16string& folderPrefix, const std::u16string& folderSuffix) {
  g_window.setControlText(Control::FilePrefixEdit, filePrefix.c_str());
  g_window.setControlText(Control::FileSuffixEdit, fileSuffix.c_str());
  g_window.setControlText(Control::FolderPrefixEdit, folderPrefix.c_str());
  g_window.setControlText(Control::FolderSuffixEdit, folderSuffix.c_str());
}

std::vector<std::u16string> EngineTest::ListDrop(const std::vector<std::u16string>& paths) {
  g_job.pendingDrop = MakeDrop(paths);
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  GatherDroppedItems(&head, &tail);
  std::vector<std::u16string> lines = ListTexts(head);
  FreeNodeList(&head, &tail);
  return lines;
}

std::vector<std::u16string> EngineTest::ListCommandLine(const std::u16string& commandLine) {
  s_commandLine = commandLine;
  g_jobInput.commandLine = [] { return s_commandLine.c_str(); };
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  GatherCommandLineItems(&head, &tail);
  std::vector<std::u16string> lines = ListTexts(head);
  FreeNodeList(&head, &tail);
  return lines;
}

void EngineTest::RunDropJobToClipboard(const std::vector<std::u16string>& paths) {
  g_job.pendingDrop = MakeDrop(paths);
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  GatherDroppedItems(&head, &tail);
  if (g_job.abortFlag.load()) {
    FreeNodeList(&head, &tail);
  } else {
    CopyListToClipboard(&head, &tail);
  }
}

std::u16string Joined(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const std::u16string& line : lines) text += line + u"\n";
  return text;
}
