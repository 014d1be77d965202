#include "ui/app_state.h"

#include <cstdint>

namespace {

constexpr char16_t kReadmeName[] = u"\\readme.txt";
constexpr size_t kReadmeNameLength = sizeof(kReadmeName) / sizeof(kReadmeName[0]) - 1;

// A text of the window's own. It may change between the two calls; the copy
// holds what the second call gave.
Text ReadControlText(AppState* state, Control control) {
  int32_t units = g_window.controlTextLength(state->window, control);
  if (units < 0) units = 0;
  OwnedBlock<char16_t> text = MakeBlock<char16_t>(static_cast<size_t>(units) + 1);
  if (text == nullptr) return Text();
  text[0] = 0;
  int32_t got = g_window.controlText(state->window, control, text.get(), units + 1);
  if (got < 0) got = 0;
  if (got > units) got = units;
  text[got] = 0;
  return Text::Adopt(text.release(), static_cast<size_t>(got));
}

}  // namespace

Text ReadmePathFor(const char16_t* modulePath) {
  if (modulePath == nullptr) return Text();
  size_t lastBackslash = SIZE_MAX;
  for (size_t i = 0; modulePath[i] != 0; ++i) {
    if (modulePath[i] == u'\\') lastBackslash = i;
  }
  if (lastBackslash == SIZE_MAX) return Text();
  OwnedBlock<char16_t> path = MakeBlock<char16_t>(lastBackslash + kReadmeNameLength + 1);
  if (path == nullptr) return Text();
  for (size_t i = 0; i < lastBackslash; ++i) path[i] = modulePath[i];
  for (size_t i = 0; i <= kReadmeNameLength; ++i) path[lastBackslash + i] = kReadmeName[i];
  return Text::Adopt(path.release(), lastBackslash + kReadmeNameLength);
}

bool ReadAffixEdits(AppState* state, Text (&texts)[kAffixCount]) {
  for (int32_t i = 0; i < kAffixCount; ++i) {
    texts[i] = ReadControlText(state, kAffixEdits[i]);
    if (!texts[i]) return false;
  }
  return true;
}
