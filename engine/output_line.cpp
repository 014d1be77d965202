#include "engine/output_line.h"

#include <cstdint>

#include "engine/path_rules.h"
#include "engine/text.h"

namespace {

constexpr char16_t kBranch = u'\u2523';      // ┣ more items follow at this level
constexpr char16_t kLastBranch = u'\u2517';  // ┗ the level's last item
constexpr char16_t kVertical = u'\u2503';    // ┃ an outer level with later siblings
constexpr char16_t kBlankCell = u'\u3000';   // an outer level whose item was the last

// The common prefix as an index into a path of `length` units: never
// negative (not yet set) and never past the end.
int32_t PrefixIndex(const ListingContext* context, int32_t length) {
  int32_t start = context->commonPrefixLength;
  if (start < 0) start = 0;
  return start > length ? length : start;
}

// Cuts the last component's extension in place; returns the units removed.
// Only the last component is cut, at its last full stop. A component whose
// only full stop is its first unit (.profile) is a name without extension
// and keeps its whole name, so the line never loses the file's name.
int32_t StripExtension(char16_t* path, int32_t from, char16_t separator) {
  int32_t length = static_cast<int32_t>(TextLength(path));
  int32_t dot = -1;
  for (int32_t i = from < length ? from : length; i < length; ++i) {
    if (path[i] == separator) {
      dot = -1;
    } else if (path[i] == u'.') {
      dot = i;
    }
  }
  if (dot <= 0 || path[dot - 1] == separator) return 0;
  path[dot] = 0;
  return length - dot;
}

// Index of the first unit of the path's last component, at or after from.
// A trailing separator starts no component, so a drive root is its own name.
int32_t NameStart(const char16_t* path, int32_t from, char16_t separator) {
  int32_t length = static_cast<int32_t>(TextLength(path));
  int32_t result = from < length ? from : length;
  for (int32_t i = result; i < length; ++i) {
    if (path[i] == separator && path[i + 1] != 0) result = i + 1;
  }
  return result;
}

}  // namespace

void AppendOutputLine(ListingContext* context, char16_t* path, int32_t length, bool isFile) {
  const ListingOptions& options = context->request->options;
  const char16_t native = PathSeparator(context);
  if (!options.extensionShown && isFile) length -= StripExtension(path, PrefixIndex(context, length), native);

  const Text& prefix = context->request->affixes[isFile ? kFilePrefix : kFolderPrefix];
  const Text& suffix = context->request->affixes[isFile ? kFileSuffix : kFolderSuffix];
  int32_t from = PrefixIndex(context, length);
  int32_t start = options.pathForm == PathForm::NameOnly || options.pathForm == PathForm::Tree
                      ? NameStart(path, from, native)
                      : from;
  int32_t indentLength = options.pathForm == PathForm::Tree ? static_cast<int32_t>(context->indent.size()) : 0;

  const size_t pieces[4] = {static_cast<size_t>(indentLength), prefix.length(),
                            static_cast<size_t>(length - start), suffix.length()};
  const char16_t* texts[4] = {context->indent.data(), prefix.get(), path + start, suffix.get()};
  Array<char16_t>& line = context->line;
  line.Clear();
  for (int32_t k = 0; k < 4; ++k) {
    if (!line.AppendUnits(texts[k], pieces[k])) {
      context->failed = true;
      return;
    }
  }
  // The chosen separator is applied to the whole line, the affixes and the
  // indent included.
  if (options.separator != native) {
    for (char16_t& unit : line) {
      if (unit == native) unit = options.separator;
    }
  }
  if (!context->sink->writeLine(context->sink->context, line.data(), line.size())) context->failed = true;
}

void ListItem(ListingContext* context, char16_t* path, int32_t length, bool isFile, bool isLast) {
  if (context->request->options.itemFilter == (isFile ? ItemFilter::FoldersOnly : ItemFilter::FilesOnly)) return;
  Array<char16_t>& indent = context->indent;
  if (isLast && !indent.empty() && indent.back() == kBranch) indent.back() = kLastBranch;
  AppendOutputLine(context, path, length, isFile);
}

void PushIndent(ListingContext* context) {
  Array<char16_t>& indent = context->indent;
  if (!indent.empty()) {
    char16_t& last = indent.back();
    if (last == kBranch) {
      last = kVertical;
    } else if (last == kLastBranch) {
      last = kBlankCell;
    }
  }
  static const char16_t kCell[] = {u' ', kBranch};
  if (!indent.AppendUnits(kCell, 2)) context->failed = true;
}

void PopIndent(ListingContext* context) {
  Array<char16_t>& indent = context->indent;
  if (indent.size() < 2) return;
  indent.Truncate(indent.size() - 2);
  if (!indent.empty() && indent.back() == kVertical) indent.back() = kBranch;
}
