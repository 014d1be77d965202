#include "ui/console/progress_line.h"

#include "platform/console.h"

namespace {

constexpr int32_t kTickMilliseconds = 250;
// Ticks before the first drawing: a listing that ends sooner shows nothing.
constexpr int32_t kQuietTicks = 2;

// With the lock held: "\r<folders> folders, <entries> entries read", or
// when erasing nothing and "\r" after it, padded over a longer line drawn
// before. At most 1 + 20 + 10 + 20 + 13 units and as much padding: the buffer holds it.
void Draw(ProgressLine* line, bool erase) {
  if (erase && line->shownWidth == 0) return;
  char16_t text[80] = {u'\r'};
  int32_t length = 1;
  auto append = [&](const char16_t* piece) {
    while (*piece != 0) text[length++] = *piece++;
  };
  auto number = [&](const std::atomic<uint64_t>& counter) {
    char16_t digits[21] = {};
    int32_t first = 20;
    uint64_t value = counter.load(std::memory_order_relaxed);
    do {
      digits[--first] = static_cast<char16_t>(u'0' + value % 10);
    } while ((value /= 10) != 0);
    append(digits + first);
  };
  if (!erase) {
    number(line->counts.folders);
    append(u" folders, ");
    number(line->counts.entries);
    append(u" entries read");
  }
  int32_t width = length - 1;
  while (length - 1 < line->shownWidth) text[length++] = u' ';
  if (erase) text[length++] = u'\r';
  WriteErrorText(text, static_cast<size_t>(length));
  line->shownWidth = erase ? 0 : width > line->shownWidth ? width : line->shownWidth;
}

void RunProgressLine(void* parameter) {
  auto* line = static_cast<ProgressLine*>(parameter);
  g_thread.lock(line->sync);
  for (int32_t tick = 1; !line->done; ++tick) {
    g_thread.waitSync(line->sync, kTickMilliseconds);
    if (!line->done && tick >= kQuietTicks) Draw(line, false);
  }
  Draw(line, true);
  g_thread.unlock(line->sync);
}

}  // namespace

void StartProgressLine(ProgressLine* line) {
  line->sync = nullptr;
  line->thread = nullptr;
  line->done = false;
  line->shownWidth = 0;
  if (!ProgressLineWanted()) return;
  line->sync = g_thread.createSync();
  if (line->sync == nullptr) return;
  line->thread = g_thread.startThread(RunProgressLine, line);
  if (line->thread != nullptr) return;
  g_thread.destroySync(line->sync);
  line->sync = nullptr;
}

void BeginProgressMessage(ProgressLine* line) {
  if (line->sync == nullptr) return;
  g_thread.lock(line->sync);
  Draw(line, true);
}

void EndProgressMessage(ProgressLine* line) {
  if (line->sync != nullptr) g_thread.unlock(line->sync);
}

void StopProgressLine(ProgressLine* line) {
  if (line->sync == nullptr) return;
  g_thread.lock(line->sync);
  line->done = true;
  g_thread.wakeAll(line->sync);
  g_thread.unlock(line->sync);
  g_thread.waitThread(line->thread);
  g_thread.closeThread(line->thread);
  g_thread.destroySync(line->sync);
  line->sync = nullptr;
}
