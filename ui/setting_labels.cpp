#include "ui/setting_labels.h"

#include "platform/window.h"

const char16_t kLabelBlank[] =
    u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    u"\u3000\u3000\u3000";
static_assert(sizeof(kLabelBlank) / sizeof(kLabelBlank[0]) == 22, "the label blank is 21 units");

namespace {

// Every label change is two writes: the blank, then the text.
void WriteLabel(Control label, const char16_t* text) {
  g_window.setControlText(label, kLabelBlank);
  g_window.setControlText(label, text);
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
void ApplyPathForm(PathForm value, bool set) {
  if (set) {
    if (IsPathForm(static_cast<int32_t>(value))) g_settings.pathForm = value;
  } else {
    g_settings.pathForm = NextPathForm(g_settings.pathForm);
  }
  const char16_t* text = PathFormText(g_settings.pathForm);
  if (text != nullptr) WriteLabel(Control::PathFormLabel, text);
}

// Also called by the job start to turn FilesOnly into FilesAndFolders for
// the Tree form; the same refusal as for the path form.
void ApplyItemFilter(ItemFilter value, bool set) {
  if (set) {
    if (IsItemFilter(static_cast<int32_t>(value))) g_settings.itemFilter = value;
  } else {
    g_settings.itemFilter = NextItemFilter(g_settings.itemFilter);
  }
  const char16_t* text = ItemFilterText(g_settings.itemFilter);
  if (text != nullptr) WriteLabel(Control::ItemsLabel, text);
}

void ApplyExtensionShown(bool value, bool set) {
  g_settings.extensionShown = set ? value : !g_settings.extensionShown;
  WriteLabel(Control::ExtensionLabel, g_settings.extensionShown ? u" 拡張子：あり" : u" 拡張子：なし");
}

void ApplyFolderScan(bool value, bool set) {
  g_settings.folderScan = set ? value : !g_settings.folderScan;
  WriteLabel(Control::FolderScanLabel,
             g_settings.folderScan ? u" フォルダ内検索：する" : u" フォルダ内検索：しない");
}

// The z-order call is made every time, also when the value did not change.
void ApplyAlwaysOnTop(bool value, bool set) {
  g_settings.alwaysOnTop = set ? value : !g_settings.alwaysOnTop;
  WriteLabel(Control::TopmostLabel, g_settings.alwaysOnTop ? u" 常に手前に表示：ON" : u" 常に手前に表示：OFF");
  g_window.setTopmost(g_settings.alwaysOnTop);
}

void ApplyTranslucent(bool value, bool set) {
  g_settings.translucent = set ? value : !g_settings.translucent;
  WriteLabel(Control::TranslucentLabel, g_settings.translucent ? u" 透過表示：ON" : u" 透過表示：OFF");
  g_window.setAlpha(g_settings.translucent ? 192 : 255);
}

// A backslash becomes a slash; anything else becomes a backslash.
void ToggleSeparator() {
  g_settings.separator = g_settings.separator == kBackslash ? kSlash : kBackslash;
  ShowSeparatorLabel();
}

void ShowSeparatorLabel() {
  WriteLabel(Control::SeparatorLabel,
             g_settings.separator == kSlash ? u" パス区切り文字：/" : u" パス区切り文字：\\");
}
