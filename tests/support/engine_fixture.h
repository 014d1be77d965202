#pragma once
// A fixture for tests of the listing engine: default settings, clean flags
// and affixes before each test; after it, the platform seams restored and a
// check that the job freed everything it allocated.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/job_context.h"
#include "engine/path_node.h"
#include "platform/clipboard.h"
#include "platform/filesystem.h"
#include "platform/job_input.h"
#include "platform/network.h"
#include "platform/window.h"
#include "settings/listing_settings.h"

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the four affix edit boxes, as the user would.
  void SetAffixes(const std::u16string& filePrefix, const std::u16string& fileSuffix,
                  const std::u16string& folderPrefix, const std::u16string& folderSuffix);

  // Runs the listing phase for a drop of the paths; returns the lines.
  std::vector<std::u16string> ListDrop(const std::vector<std::u16string>& paths);
  // The same for a process command line.
  std::vector<std::u16string> ListCommandLine(const std::u16string& commandLine);
  // A whole job to the clipboard, as the worker runs it: the listing phase,
  // then the clipboard step unless the job was aborted.
  void RunDropJobToClipboard(const std::vector<std::u16string>& paths);

  bool Aborted() const { return g_job.abortFlag.load(); }
  bool Failed() const { return g_job.failureFlag.load(); }

  static std::u16string s_commandLine;

 private:
  FileSystemApi savedFileSystem_;
  NetworkApi savedNetwork_;
  ClipboardApi savedClipboard_;
  JobInputApi savedJobInput_;
  int64_t liveBlocks_ = 0;
};

// Lines joined for readable failure messages.
std::u16string Joined(const std::vector<std::u16string>& lines);
