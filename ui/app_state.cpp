#include "ui/app_state.h"

#include "platform/memory.h"

namespace {

constexpr char16_t kReadmeName[] = u"\\readme.txt";
constexpr size_t kReadmeNameLength = sizeof(kReadmeName) / sizeof(kReadmeName[0]) - 1;

// A text of the window's own. It may change between the two calls; the copy
// holds what the second call gave.
char16_t* ReadControlText(AppState* state, Control control) {
  int32_t units = g_window.controlTextLength(state->window, control);
  if (units < 0) units = 0;
  auto* text = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(units) + 1, sizeof(char16_t)));
  if (text == nullptr) return nullptr;
  text[0] = 0;
  int32_t got = g_window.controlText(state->window, control, text, units + 1);
  if (got < 0) got = 0;
  if (got > units) got = units;
  text[got] = 0;
  return text;
}

}  // namespace

void InitAppState(AppState* state) {
  state->settings = kDefaultSettings;
  state->status = StatusState::Idle;
  state->commandLineMode = false;
  state->job.worker = nullptr;
  state->job.abort.store(false);
  state->window = nullptr;
  state->fullTitle[0] = 0;
  state->className[0] = 0;
  state->readmePath = nullptr;
}

char16_t* ReadmePathFor(const char16_t* modulePath) {
  if (modulePath == nullptr) return nullptr;
  size_t length = 0;
  size_t lastBackslash = 0;
  bool found = false;
  for (; modulePath[length] != 0; ++length) {
    if (modulePath[length] == u'\\') {
      lastBackslash = length;
      found = true;
    }
  }
  if (!found) return nullptr;
  auto* path =
      static_cast<char16_t*>(PlatformAllocArray(lastBackslash + kReadmeNameLength + 1, sizeof(char16_t)));
  if (path == nullptr) return nullptr;
  for (size_t i = 0; i < lastBackslash; ++i) path[i] = modulePath[i];
  for (size_t i = 0; i <= kReadmeNameLength; ++i) path[lastBackslash + i] = kReadmeName[i];
  return path;
}

void SetReadmePath(AppState* state, char16_t* path) {
  PlatformFree(state->readmePath);
  state->readmePath = path;
}

bool ReadAffixEdits(AppState* state, char16_t* texts[kAffixCount]) {
  for (int32_t i = 0; i < kAffixCount; ++i) texts[i] = nullptr;
  for (int32_t i = 0; i < kAffixCount; ++i) {
    texts[i] = ReadControlText(state, kAffixEdits[i]);
    if (texts[i] == nullptr) {
      FreeAffixTexts(texts);
      return false;
    }
  }
  return true;
}

void FreeAffixTexts(char16_t* texts[kAffixCount]) {
  for (int32_t i = 0; i < kAffixCount; ++i) {
    PlatformFree(texts[i]);
    texts[i] = nullptr;
  }
}
