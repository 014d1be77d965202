#include "ui/setting_labels.h"

#include "platform/window.h"

const char16_t kLabelBlank[] =
    u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    u"\u3000\u3000\u3000";
static_assert(sizeof(kLabelBlank) / sizeof(kLabelBlank[0]) == 22, "the label blank is 21 units");

namespace {

// Every label change is two writes: the blank, then the text.
void WriteLabel(AppState* state, Control label, const char16_t* text) {
  g_window.setControlText(state->window, label, kLabelBlank);
  g_window.setControlText(state->window, label, text);
}

// A setting's values in the order a click steps through them, each with its
// label's text.
template <class T>
struct Choice {
  T value;
  const char16_t* text;
};

constexpr Choice<PathForm> kPathForms[] = {{PathForm::Absolute, u" パス：絶対パス"},
                                           {PathForm::Relative, u" パス：相対パス"},
                                           {PathForm::Tree, u" パス：ツリー"},  // NameOnly follows Tree
                                           {PathForm::NameOnly, u" パス：なし"}};
constexpr Choice<ItemFilter> kItemFilters[] = {{ItemFilter::FilesAndFolders, u" 項目：ファイルとフォルダ"},
                                               {ItemFilter::FilesOnly, u" 項目：ファイルのみ"},
                                               {ItemFilter::FoldersOnly, u" 項目：フォルダのみ"}};
constexpr Choice<bool> kExtensionShown[] = {{true, u" 拡張子：あり"}, {false, u" 拡張子：なし"}};
constexpr Choice<bool> kFolderScan[] = {{true, u" フォルダ内検索：する"}, {false, u" フォルダ内検索：しない"}};
constexpr Choice<bool> kAlwaysOnTop[] = {{true, u" 常に手前に表示：ON"}, {false, u" 常に手前に表示：OFF"}};
constexpr Choice<bool> kTranslucent[] = {{true, u" 透過表示：ON"}, {false, u" 透過表示：OFF"}};

// Set mode stores value, cycle mode steps to the next choice, then the label
// shows the setting. A value that is none of the choices is refused: the
// setting keeps its value, so that nothing is ever stored that no label can
// name. A stored value that is none of them (which nothing can store now)
// is left alone, unlabelled.
template <class T, size_t N>
void ApplyChoice(AppState* state, T* setting, const Choice<T> (&choices)[N], Control label, T value, bool set) {
  auto find = [&](T wanted) -> const Choice<T>* {
    for (const Choice<T>& choice : choices) {
      if (choice.value == wanted) return &choice;
    }
    return nullptr;
  };
  const Choice<T>* current = find(*setting);
  if (set && find(value) != nullptr) *setting = value;
  if (!set && current != nullptr) *setting = choices[(current - choices + 1) % N].value;
  if (const Choice<T>* now = find(*setting)) WriteLabel(state, label, now->text);
}

}  // namespace

void ApplyPathForm(AppState* state, PathForm value, bool set) {
  ApplyChoice(state, &state->settings.pathForm, kPathForms, Control::PathFormLabel, value, set);
}

// Also called by the job start to turn FilesOnly into FilesAndFolders for
// the Tree form.
void ApplyItemFilter(AppState* state, ItemFilter value, bool set) {
  ApplyChoice(state, &state->settings.itemFilter, kItemFilters, Control::ItemsLabel, value, set);
}

void ApplyExtensionShown(AppState* state, bool value, bool set) {
  ApplyChoice(state, &state->settings.extensionShown, kExtensionShown, Control::ExtensionLabel, value, set);
}

void ApplyFolderScan(AppState* state, bool value, bool set) {
  ApplyChoice(state, &state->settings.folderScan, kFolderScan, Control::FolderScanLabel, value, set);
}

// The z-order call is made every time, also when the value did not change.
void ApplyAlwaysOnTop(AppState* state, bool value, bool set) {
  ApplyChoice(state, &state->settings.alwaysOnTop, kAlwaysOnTop, Control::TopmostLabel, value, set);
  g_window.setTopmost(state->window, state->settings.alwaysOnTop);
}

void ApplyTranslucent(AppState* state, bool value, bool set) {
  ApplyChoice(state, &state->settings.translucent, kTranslucent, Control::TranslucentLabel, value, set);
  g_window.setAlpha(state->window, state->settings.translucent ? 192 : 255);
}

// A backslash becomes a slash; anything else becomes a backslash.
void ToggleSeparator(AppState* state) {
  state->settings.separator = state->settings.separator == kBackslash ? kSlash : kBackslash;
  ShowSeparatorLabel(state);
}

void ShowSeparatorLabel(AppState* state) {
  WriteLabel(state, Control::SeparatorLabel,
             state->settings.separator == kSlash ? u" パス区切り文字：/" : u" パス区切り文字：\\");
}
