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

const char16_t* PathFormText(PathForm value) {
  switch (value) {
    case PathForm::Absolute:
      return u" パス：絶対パス";
    case PathForm::Relative:
      return u" パス：相対パス";
    case PathForm::NameOnly:
      return u" パス：なし";
    case PathForm::Tree:
      return u" パス：ツリー";
  }
  return nullptr;
}

const char16_t* ItemFilterText(ItemFilter value) {
  switch (value) {
    case ItemFilter::FilesAndFolders:
      return u" 項目：ファイルとフォルダ";
    case ItemFilter::FilesOnly:
      return u" 項目：ファイルのみ";
    case ItemFilter::FoldersOnly:
      return u" 項目：フォルダのみ";
  }
  return nullptr;
}

// NameOnly follows Tree, not Relative.
PathForm NextPathForm(PathForm value) {
  switch (value) {
    case PathForm::Absolute:
      return PathForm::Relative;
    case PathForm::Relative:
      return PathForm::Tree;
    case PathForm::Tree:
      return PathForm::NameOnly;
    case PathForm::NameOnly:
      return PathForm::Absolute;
  }
  return value;
}

ItemFilter NextItemFilter(ItemFilter value) {
  switch (value) {
    case ItemFilter::FilesAndFolders:
      return ItemFilter::FilesOnly;
    case ItemFilter::FilesOnly:
      return ItemFilter::FoldersOnly;
    case ItemFilter::FoldersOnly:
      return ItemFilter::FilesAndFolders;
  }
  return value;
}

}  // namespace

// A value outside the enumeration is refused: the setting keeps its value,
// so that no path form is ever stored that no label can name. A stored
// value outside it (which nothing can store now) is left alone, unlabelled.
void ApplyPathForm(AppState* state, PathForm value, bool set) {
  if (set) {
    if (IsPathForm(static_cast<int32_t>(value))) state->settings.pathForm = value;
  } else {
    state->settings.pathForm = NextPathForm(state->settings.pathForm);
  }
  const char16_t* text = PathFormText(state->settings.pathForm);
  if (text != nullptr) WriteLabel(state, Control::PathFormLabel, text);
}

// Also called by the job start to turn FilesOnly into FilesAndFolders for
// the Tree form; the same refusal as for the path form.
void ApplyItemFilter(AppState* state, ItemFilter value, bool set) {
  if (set) {
    if (IsItemFilter(static_cast<int32_t>(value))) state->settings.itemFilter = value;
  } else {
    state->settings.itemFilter = NextItemFilter(state->settings.itemFilter);
  }
  const char16_t* text = ItemFilterText(state->settings.itemFilter);
  if (text != nullptr) WriteLabel(state, Control::ItemsLabel, text);
}

void ApplyExtensionShown(AppState* state, bool value, bool set) {
  state->settings.extensionShown = set ? value : !state->settings.extensionShown;
  WriteLabel(state, Control::ExtensionLabel, state->settings.extensionShown ? u" 拡張子：あり" : u" 拡張子：なし");
}

void ApplyFolderScan(AppState* state, bool value, bool set) {
  state->settings.folderScan = set ? value : !state->settings.folderScan;
  WriteLabel(state, Control::FolderScanLabel,
             state->settings.folderScan ? u" フォルダ内検索：する" : u" フォルダ内検索：しない");
}

// The z-order call is made every time, also when the value did not change.
void ApplyAlwaysOnTop(AppState* state, bool value, bool set) {
  state->settings.alwaysOnTop = set ? value : !state->settings.alwaysOnTop;
  WriteLabel(state, Control::TopmostLabel, state->settings.alwaysOnTop ? u" 常に手前に表示：ON" : u" 常に手前に表示：OFF");
  g_window.setTopmost(state->window, state->settings.alwaysOnTop);
}

void ApplyTranslucent(AppState* state, bool value, bool set) {
  state->settings.translucent = set ? value : !state->settings.translucent;
  WriteLabel(state, Control::TranslucentLabel, state->settings.translucent ? u" 透過表示：ON" : u" 透過表示：OFF");
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
