// The command-line grammar on arbitrary command lines, through the whole
// listing phase and the clipboard step. The attribute query is answered
// from the path's text (no disk), so every token reaches the builders.

#include <string>

#include "engine/clipboard_text.h"
#include "engine/gather.h"
#include "engine/job_context.h"
#include "engine/text.h"
#include "platform/clipboard.h"
#include "platform/filesystem.h"
#include "platform/job_input.h"
#include "platform/memory.h"
#include "settings/listing_settings.h"
#include "tests/fuzz/fuzz_text.h"

namespace {
std::u16string g_line;

// Readable as a file or folder, or not at all, by the path's length.
uint32_t AttributesFromText(const char16_t* path) {
  size_t n = TextLength(path);
  return n % 3 == 0 ? kInvalidAttributes : (n % 3 == 1 ? 0x20u : 0x10u);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint8_t options = data[0];
  g_line = FuzzText(data + 1, size - 1);
  g_jobInput.commandLine = [] { return g_line.c_str(); };
  g_fileSystem.queryAttributes = AttributesFromText;
  ResetListingSettings();
  g_settings.pathForm = static_cast<PathForm>(1 + options % 4);
  g_settings.itemFilter = static_cast<ItemFilter>(1 + (options >> 2) % 3);
  g_settings.extensionShown = (options & 0x10) != 0;
  g_settings.separator = (options & 0x20) != 0 ? kSlash : kBackslash;
  g_settings.folderScan = false;
  g_job.abortFlag = false;
  g_job.failureFlag = false;
  int64_t live = GetAllocationStats().liveBlocks;

  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  GatherCommandLineItems(&head, &tail);
  bool quotedProgram = !g_line.empty() && g_line[0] == u'"';
  bool unclosed = quotedProgram && g_line.find(u'"', 1) == std::u16string::npos;
  FUZZ_CHECK(g_job.failureFlag.load() == unclosed);
  if (g_job.abortFlag.load()) {
    FUZZ_CHECK(head == nullptr);
    FreeNodeList(&head, &tail);
  } else {
    int64_t lines = 0;
    int64_t chars = 0;
    for (PathNode* line = head; line != nullptr; line = line->next) {
      FUZZ_CHECK(static_cast<size_t>(line->length) == TextLength(line->text));
      ++lines;
      chars += line->length;
    }
    FUZZ_CHECK(lines == g_job.lineCount && chars == g_job.totalChars);
    CopyListToClipboard(&head, &tail);
    FUZZ_CHECK(!g_job.failureFlag.load());
  }
  FUZZ_CHECK(GetAllocationStats().liveBlocks == live);
  return 0;
}
