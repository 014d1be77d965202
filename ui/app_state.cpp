#include "ui/app_state.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

constexpr char16_t kReadmeName[] = u"\\readme.txt";

// The text may change between the two calls: the copy holds the second's.
Text ReadControlText(AppState* state, Control control) {
  int32_t units = std::max(g_window.controlTextLength(state->window, control), 0);
  OwnedBlock<char16_t> text = MakeBlock<char16_t>(static_cast<size_t>(units) + 1);
  if (text == nullptr) return Text();
  int32_t got = std::clamp(g_window.controlText(state->window, control, text.get(), units + 1), 0, units);
  text[got] = 0;
  return Text::Adopt(text.release(), static_cast<size_t>(got));
}

}  // namespace

Text ReadmePathFor(const char16_t* modulePath) {
  size_t folder = SIZE_MAX;
  for (size_t i = 0; modulePath != nullptr && modulePath[i] != 0; ++i) {
    if (modulePath[i] == u'\\') folder = i;
  }
  if (folder == SIZE_MAX) return Text();
  OwnedBlock<char16_t> path = MakeBlock<char16_t>(folder + std::size(kReadmeName));
  if (path == nullptr) return Text();
  std::copy_n(modulePath, folder, path.get());
  std::copy_n(kReadmeName, std::size(kReadmeName), path.get() + folder);
  return Text::Adopt(path.release(), folder + std::size(kReadmeName) - 1);
}

bool ReadAffixEdits(AppState* state, Text (&texts)[kAffixCount]) {
  for (int32_t i = 0; i < kAffixCount; ++i) {
    texts[i] = ReadControlText(state, kAffixEdits[i]);
    if (!texts[i]) return false;
  }
  return true;
}
