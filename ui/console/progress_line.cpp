#include "ui/console/progress_line.h"

#include "platform/console.h"

namespace {

constexpr int32_t kTickMilliseconds = 250;
// Ticks before the first drawing: a listing that ends sooner shows nothing.
constexpr int32_t kQuietTicks = 2;

// Appends the decimal digits of value to text at *length.
void AppendNumber(char16_t* text, int32_t* length, uint64_t value) {
  char16_t digits[20];
  int32_t count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) text[(*length)++] = digits[--count];
}

void AppendText(char16_t* text, int32_t* length, const char16_t* piece) {
  while (*piece != 0) text[(*length)++] = *piece++;
}

// With the lock held.
void Erase(ProgressLine* line) {
  if (line->shownWidth == 0) return;
  char16_t blank[80];
  int32_t length = 0;
  blank[length++] = u'\r';
  while (length <= line->shownWidth) blank[length++] = u' ';
  blank[length++] = u'\r';
  WriteErrorText(blank, static_cast<size_t>(length));
  line->shownWidth = 0;
}

// With the lock held: "\r<folders> folders, <entries> entries read", padded
// over a longer line drawn before. At most 1 + 20 + 10 + 20 + 13 + padding
// units: the buffer holds it.
void Draw(ProgressLine* line) {
  char16_t text[80];
  int32_t length = 0;
  text[length++] = u'\r';
  AppendNumber(text, &length, line->counts.folders.load(std::memory_order_relaxed));
  AppendText(text, &length, u" folders, ");
  AppendNumber(text, &length, line->counts.entries.load(std::memory_order_relaxed));
  AppendText(text, &length, u" entries read");
  int32_t width = length - 1;
  while (length - 1 < line->shownWidth) text[length++] = u' ';
  WriteErrorText(text, static_cast<size_t>(length));
  line->shownWidth = width > line->shownWidth ? width : line->shownWidth;
}

void RunProgressLine(void* parameter) {
  auto* line = static_cast<ProgressLine*>(parameter);
  g_thread.lock(line->sync);
  for (int32_t tick = 1; !line->done; ++tick) {
    g_thread.waitSync(line->sync, kTickMilliseconds);
    if (!line->done && tick >= kQuietTicks) Draw(line);
  }
  Erase(line);
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
  Erase(line);
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
