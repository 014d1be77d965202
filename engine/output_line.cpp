#include "engine/output_line.h"

#include <algorithm>

namespace {

constexpr char16_t kBranch = u'\u2523';      // ┣ more items follow at this level
constexpr char16_t kLastBranch = u'\u2517';  // ┗ the level's last item
constexpr char16_t kVertical = u'\u2503';    // ┃ an outer level with later siblings
constexpr char16_t kBlankCell = u'\u3000';   // an outer level whose item was the last

// Hands the item's line (path[length] is its terminator) to the sink:
// indent, affixes, the path form's part of path, the separator applied.
void AppendOutputLine(ListingContext* context, char16_t* path, int32_t length, bool isFile) {
  const ListingOptions& options = context->request->options;
  const char16_t native = PathSeparator(context);
  int32_t from = std::clamp(context->commonPrefixLength, 0, length);  // unset counts as 0
  // The last component's extension goes at its last full stop, unless that
  // is its first unit (.profile has none): the line keeps the file's name.
  // The path is looked at only when the line needs it: most lines are whole paths.
  bool cut = !options.extensionShown && isFile;
  bool nameOnly = options.pathForm == PathForm::NameOnly || options.pathForm == PathForm::Tree;
  int32_t dot = -1, name = from;
  for (int32_t i = from; (cut || nameOnly) && i < length; ++i) {
    if (path[i] == native) dot = -1;
    if (path[i] == u'.') dot = i;
    // A trailing separator starts no component: a drive root is its own name.
    if (path[i] == native && i + 1 < length) name = i + 1;
  }
  if (cut && dot > 0 && path[dot - 1] != native) {
    path[dot] = 0;
    length = dot;
  }
  int32_t start = nameOnly ? std::min(name, length) : from;
  const Text& prefix = context->request->affixes[isFile ? kFilePrefix : kFolderPrefix];
  const Text& suffix = context->request->affixes[isFile ? kFileSuffix : kFolderSuffix];
  size_t indent = options.pathForm == PathForm::Tree ? context->indent.size() : 0;
  Array<char16_t>& line = context->line;
  line.Clear();
  if (!line.AppendUnits(context->indent.data(), indent) || !line.AppendUnits(prefix.get(), prefix.length()) ||
      !line.AppendUnits(path + start, static_cast<size_t>(length - start)) ||
      !line.AppendUnits(suffix.get(), suffix.length())) {
    context->failed = true;
    return;
  }
  // The chosen separator applies to the whole line, affixes and indent too.
  for (size_t i = 0; options.separator != native && i < line.size(); ++i) {
    if (line[i] == native) line[i] = options.separator;
  }
  if (!context->sink->writeLine(context->sink->context, line.data(), line.size())) context->failed = true;
}

}  // namespace

void ListItem(ListingContext* context, char16_t* path, int32_t length, bool isFile, bool isLast) {
  if (context->request->options.itemFilter == (isFile ? ItemFilter::FoldersOnly : ItemFilter::FilesOnly)) return;
  Array<char16_t>& indent = context->indent;
  if (isLast && !indent.empty() && indent.back() == kBranch) indent.back() = kLastBranch;
  AppendOutputLine(context, path, length, isFile);
}

void PushIndent(ListingContext* context) {
  Array<char16_t>& indent = context->indent;
  if (!indent.empty() && (indent.back() == kBranch || indent.back() == kLastBranch)) {
    indent.back() = indent.back() == kBranch ? kVertical : kBlankCell;
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
