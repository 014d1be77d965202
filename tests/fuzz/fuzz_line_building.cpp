// Line building on arbitrary paths, prefix lengths, affixes and indents:
// every line has the length it claims, and nothing is read past a path.

#include <cstdlib>
#include <string>

#include "engine/job_context.h"
#include "engine/output_line.h"
#include "engine/text.h"
#include "platform/memory.h"
#include "settings/listing_settings.h"
#include "tests/fuzz/fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  uint8_t options = data[0];
  uint8_t prefixChoice = data[1];
  uint8_t indentOps = data[2];
  size_t affixLength = data[3] % 8;
  if (size - 4 < 4 * affixLength) return 0;
  std::u16string affixes[4];
  for (int k = 0; k < 4; ++k) affixes[k] = FuzzText(data + 4 + k * affixLength, affixLength);
  std::u16string path = FuzzText(data + 4 + 4 * affixLength, size - 4 - 4 * affixLength);

  ResetListingSettings();
  g_settings.pathForm = static_cast<PathForm>(1 + options % 4);
  g_settings.extensionShown = (options & 0x04) != 0;
  bool isFile = (options & 0x08) != 0;
  char16_t* texts[4];
  for (int k = 0; k < 4; ++k) texts[k] = ExactCopy(affixes[k]);
  g_job.filePrefix = texts[0];
  g_job.fileSuffix = texts[1];
  g_job.folderPrefix = texts[2];
  g_job.folderSuffix = texts[3];
  g_job.filePrefixLength = g_job.fileSuffixLength = static_cast<int32_t>(affixLength);
  g_job.folderPrefixLength = g_job.folderSuffixLength = static_cast<int32_t>(affixLength);
  // Any prefix length, unset and past the end of the path included.
  g_job.commonPrefixLength = prefixChoice == 255 ? kCommonPrefixUnset : prefixChoice % (path.size() + 4);
  g_job.totalChars = 0;
  g_job.lineCount = 0;
  g_job.abortFlag = false;
  g_job.failureFlag = false;
  for (int bit = 0; bit < 8; ++bit) {
    if ((indentOps >> bit) & 1) PushIndent();
    if (bit % 3 == 2) MarkLastSibling();
    if ((indentOps >> bit) == 0x3) PopIndent();
  }
  FUZZ_CHECK(g_job.treeIndent.length % 2 == 0);

  char16_t* probe = ExactCopy(path);
  FUZZ_CHECK(NameStart(probe) >= 0 && static_cast<size_t>(NameStart(probe)) <= path.size());
  int32_t removed = StripExtension(probe);
  FUZZ_CHECK(removed >= 0 && static_cast<size_t>(removed) <= path.size());
  FUZZ_CHECK(TextLength(probe) + static_cast<size_t>(removed) == path.size());
  std::free(probe);

  char16_t* buffer = ExactCopy(path);
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  AppendOutputLine(&head, &tail, buffer, static_cast<int32_t>(path.size()), isFile);
  FUZZ_CHECK(head != nullptr && head == tail);
  FUZZ_CHECK(static_cast<size_t>(head->length) == TextLength(head->text));
  FUZZ_CHECK(g_job.totalChars == head->length && g_job.lineCount == 1);
  FreeNodeList(&head, &tail);
  std::free(buffer);
  ReleaseTreeIndent();
  for (char16_t* text : texts) std::free(text);
  g_job.filePrefix = g_job.fileSuffix = g_job.folderPrefix = g_job.folderSuffix = nullptr;
  return 0;
}
