#include "ui/setting_labels.h"

#include <cstddef>
#include <initializer_list>

#include "platform/window.h"

namespace {

// The label blank: 21 ideographic spaces, written before every label text.
constexpr char16_t kLabelBlank[] =
    u"\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    u"\u3000\u3000\u3000";
static_assert(sizeof(kLabelBlank) / sizeof(kLabelBlank[0]) == 22, "the label blank is 21 units");

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
constexpr Choice<char16_t> kSeparators[] = {{kBackslash, u" パス区切り文字：\\"}, {kSlash, u" パス区切り文字：/"}};
constexpr Choice<ItemFilter> kItemFilters[] = {{ItemFilter::FilesAndFolders, u" 項目：ファイルとフォルダ"},
                                               {ItemFilter::FilesOnly, u" 項目：ファイルのみ"},
                                               {ItemFilter::FoldersOnly, u" 項目：フォルダのみ"}};
constexpr Choice<bool> kExtensionShown[] = {{true, u" 拡張子：あり"}, {false, u" 拡張子：なし"}};
constexpr Choice<bool> kFolderScan[] = {{true, u" フォルダ内検索：する"}, {false, u" フォルダ内検索：しない"}};
constexpr Choice<bool> kAlwaysOnTop[] = {{true, u" 常に手前に表示：ON"}, {false, u" 常に手前に表示：OFF"}};
constexpr Choice<bool> kTranslucent[] = {{true, u" 透過表示：ON"}, {false, u" 透過表示：OFF"}};

// Steps *setting to the next choice when asked, then its label shows it. A
// value that is none of the choices (which nothing can store now) is left
// alone, unlabelled.
template <class T, size_t N>
void Show(AppState* state, T* setting, const Choice<T> (&choices)[N], Control label, bool step) {
  for (size_t i = 0; i < N; ++i) {
    if (choices[i].value != *setting) continue;
    const Choice<T>& shown = step ? choices[(i + 1) % N] : choices[i];
    *setting = shown.value;
    WriteLabel(state, label, shown.text);
    return;
  }
}

// The z-order and alpha calls are made every time, also when the value did
// not change.
void ShowOrStep(AppState* state, Control label, bool step) {
  ListingSettings& settings = state->settings;
  switch (label) {
    case Control::PathFormLabel:
      return Show(state, &settings.pathForm, kPathForms, label, step);
    case Control::SeparatorLabel:
      return Show(state, &settings.separator, kSeparators, label, step);
    case Control::ItemsLabel:
      return Show(state, &settings.itemFilter, kItemFilters, label, step);
    case Control::ExtensionLabel:
      return Show(state, &settings.extensionShown, kExtensionShown, label, step);
    case Control::FolderScanLabel:
      return Show(state, &settings.folderScan, kFolderScan, label, step);
    case Control::TopmostLabel:
      Show(state, &settings.alwaysOnTop, kAlwaysOnTop, label, step);
      return g_window.setTopmost(state->window, settings.alwaysOnTop);
    case Control::TranslucentLabel:
      Show(state, &settings.translucent, kTranslucent, label, step);
      return g_window.setAlpha(state->window, settings.translucent ? 192 : 255);
    default:
      return;
  }
}

}  // namespace

void CycleSetting(AppState* state, Control label) { ShowOrStep(state, label, true); }

void ShowSetting(AppState* state, Control label) { ShowOrStep(state, label, false); }

void ShowSettings(AppState* state) {
  for (Control label : {Control::PathFormLabel, Control::SeparatorLabel, Control::ItemsLabel, Control::ExtensionLabel,
                        Control::FolderScanLabel, Control::TopmostLabel, Control::TranslucentLabel}) {
    ShowSetting(state, label);
  }
}
