#include "engine/output_line.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "engine/path_rules.h"
#include "engine/text.h"
#include "platform/memory.h"

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

// Room for one more cell; the indent grows as deep as the folders go.
bool ReserveIndent(TreeIndent* indent, int32_t units) {
  if (units < indent->capacity) return true;
  int32_t capacity = indent->capacity < 64 ? 64 : indent->capacity;
  while (capacity <= units) {
    if (capacity > INT32_MAX / 2) return false;
    capacity *= 2;
  }
  auto* text = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(capacity), sizeof(char16_t)));
  if (text == nullptr) return false;
  if (indent->text != nullptr) {
    std::memcpy(text, indent->text, static_cast<size_t>(indent->length + 1) * sizeof(char16_t));
    PlatformFree(indent->text);
  } else {
    text[0] = 0;
  }
  indent->text = text;
  indent->capacity = capacity;
  return true;
}

// Room for a line of `units` units; the buffer grows to the longest line.
bool ReserveLine(LineBuffer* line, size_t units) {
  if (units <= line->capacity && line->units != nullptr) return true;
  size_t capacity = line->capacity < 256 ? 256 : line->capacity;
  while (capacity < units) {
    if (capacity > SIZE_MAX / 4) return false;
    capacity *= 2;
  }
  auto* grown = static_cast<char16_t*>(PlatformAllocArray(capacity, sizeof(char16_t)));
  if (grown == nullptr) return false;
  PlatformFree(line->units);
  line->units = grown;
  line->capacity = capacity;
  return true;
}

}  // namespace

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

// A trailing separator starts no component, so a drive root is its own name.
int32_t NameStart(const char16_t* path, int32_t from, char16_t separator) {
  int32_t length = static_cast<int32_t>(TextLength(path));
  int32_t result = from < length ? from : length;
  for (int32_t i = result; i < length; ++i) {
    if (path[i] == separator && path[i + 1] != 0) result = i + 1;
  }
  return result;
}

void AppendOutputLine(ListingContext* context, char16_t* path, int32_t length, bool isFile) {
  const ListingOptions& options = context->request->options;
  const char16_t native = PathSeparator(context);
  if (!options.extensionShown && isFile) length -= StripExtension(path, PrefixIndex(context, length), native);

  const RequestText& prefix = context->request->affixes[isFile ? kFilePrefix : kFolderPrefix];
  const RequestText& suffix = context->request->affixes[isFile ? kFileSuffix : kFolderSuffix];
  int32_t from = PrefixIndex(context, length);
  int32_t start = options.pathForm == PathForm::NameOnly || options.pathForm == PathForm::Tree
                      ? NameStart(path, from, native)
                      : from;
  int32_t indentLength = options.pathForm == PathForm::Tree ? context->indent.length : 0;

  const size_t pieces[4] = {static_cast<size_t>(indentLength), static_cast<size_t>(prefix.length),
                            static_cast<size_t>(length - start), static_cast<size_t>(suffix.length)};
  const char16_t* texts[4] = {context->indent.text, prefix.text, path + start, suffix.text};
  size_t total = pieces[0] + pieces[1] + pieces[2] + pieces[3];
  if (!ReserveLine(&context->line, total)) {
    context->failed = true;
    return;
  }
  char16_t* line = context->line.units;
  size_t used = 0;
  for (int32_t k = 0; k < 4; ++k) {
    if (pieces[k] > 0) std::memcpy(line + used, texts[k], pieces[k] * sizeof(char16_t));
    used += pieces[k];
  }
  // The chosen separator is applied to the whole line, the affixes and the
  // indent included.
  if (options.separator != native) {
    for (size_t k = 0; k < total; ++k) {
      if (line[k] == native) line[k] = options.separator;
    }
  }
  if (!context->sink->writeLine(context->sink->context, line, total)) context->failed = true;
}

void MarkLastSibling(ListingContext* context) {
  TreeIndent& indent = context->indent;
  if (indent.length > 0 && indent.text[indent.length - 1] == kBranch) {
    indent.text[indent.length - 1] = kLastBranch;
  }
}

void PushIndent(ListingContext* context) {
  TreeIndent& indent = context->indent;
  if (!ReserveIndent(&indent, indent.length + 2)) {
    context->failed = true;
    return;
  }
  if (indent.length > 0) {
    char16_t& last = indent.text[indent.length - 1];
    if (last == kBranch) {
      last = kVertical;
    } else if (last == kLastBranch) {
      last = kBlankCell;
    }
  }
  indent.text[indent.length] = u' ';
  indent.text[indent.length + 1] = kBranch;
  indent.length += 2;
  indent.text[indent.length] = 0;
}

void PopIndent(ListingContext* context) {
  TreeIndent& indent = context->indent;
  if (indent.length < 2) return;
  indent.length -= 2;
  indent.text[indent.length] = 0;
  if (indent.length > 0 && indent.text[indent.length - 1] == kVertical) {
    indent.text[indent.length - 1] = kBranch;
  }
}

void ReleaseLineStorage(ListingContext* context) {
  PlatformFree(context->indent.text);
  context->indent = TreeIndent{nullptr, 0, 0};
  PlatformFree(context->line.units);
  context->line = LineBuffer{nullptr, 0};
}
