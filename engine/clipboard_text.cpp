#include "engine/clipboard_text.h"

#include <cstdint>
#include <cstring>

#include "engine/job_context.h"
#include "platform/clipboard.h"
#include "platform/memory.h"
#include "settings/listing_settings.h"

// The lines joined with CR LF, none after the last, and a terminator. The
// size comes from the counters in 64 bits, so no listing can wrap it; a text
// too large to allocate fails the job.
void CopyListToClipboard(PathNode** outputHead, PathNode** outputTail) {
  int64_t units = g_job.totalChars + 2 * g_job.lineCount - 1;
  if (units <= 0) units = 1;
  char16_t* text = static_cast<uint64_t>(units) <= SIZE_MAX / sizeof(char16_t)
                       ? static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(units), sizeof(char16_t)))
                       : nullptr;
  if (text == nullptr) {
    FailJob();
    FreeNodeList(outputHead, outputTail);
    return;
  }

  // The counters and the list agree; the bound only guards the buffer.
  size_t limit = static_cast<size_t>(units) - 1;
  size_t used = 0;
  for (PathNode* line = *outputHead; line != nullptr; line = line->next) {
    size_t room = limit - used;
    size_t n = static_cast<size_t>(line->length) < room ? static_cast<size_t>(line->length) : room;
    std::memcpy(text + used, line->text, n * sizeof(char16_t));
    used += n;
    if (line->next != nullptr && limit - used >= 2) {
      text[used++] = u'\r';
      text[used++] = u'\n';
    }
  }
  text[used] = 0;

  if (g_settings.separator == kSlash) {
    for (size_t i = 0; i < used; ++i) {
      if (text[i] == kBackslash) text[i] = kSlash;
    }
  }

  if (g_clipboard.setText(text, used + 1) != ClipboardResult::Stored) FailJob();
  PlatformFree(text);
  FreeNodeList(outputHead, outputTail);
}
