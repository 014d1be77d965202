#include "engine/output_line.h"

#include <climits>
#include <cstring>

#include "engine/job_context.h"
#include "engine/text.h"
#include "platform/memory.h"
#include "settings/listing_settings.h"

namespace {

constexpr char16_t kBranch = u'\u2523';      // ┣ more items follow at this level
constexpr char16_t kLastBranch = u'\u2517';  // ┗ the level's last item
constexpr char16_t kVertical = u'\u2503';    // ┃ an outer level with later siblings
constexpr char16_t kBlankCell = u'\u3000';   // an outer level whose item was the last

// The common prefix as an index into a path of `length` units: never
// negative (not yet set) and never past the end.
int32_t PrefixIndex(int32_t length) {
  int32_t start = g_job.commonPrefixLength;
  if (start < 0) start = 0;
  return start > length ? length : start;
}

char16_t* Append(char16_t* out, const char16_t* text, int32_t units) {
  if (units > 0) std::memcpy(out, text, static_cast<size_t>(units) * sizeof(char16_t));
  return out + units;
}

// Room for one more cell; the indent grows as deep as the folders go.
bool ReserveIndent(int32_t units) {
  TreeIndent& indent = g_job.treeIndent;
  if (units < indent.capacity) return true;
  int32_t capacity = indent.capacity < 64 ? 64 : indent.capacity;
  while (capacity <= units) {
    if (capacity > INT32_MAX / 2) return false;
    capacity *= 2;
  }
  char16_t* text = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(capacity), sizeof(char16_t)));
  if (text == nullptr) return false;
  if (indent.text != nullptr) {
    std::memcpy(text, indent.text, static_cast<size_t>(indent.length + 1) * sizeof(char16_t));
    PlatformFree(indent.text);
  } else {
    text[0] = 0;
  }
  indent.text = text;
  indent.capacity = capacity;
  return true;
}

}  // namespace

// Only the last component is cut, at its last full stop. A component whose
// only full stop is its first unit (.profile) is a name without extension
// and keeps its whole name, so the line never loses the file's name.
int32_t StripExtension(char16_t* path) {
  int32_t length = static_cast<int32_t>(TextLength(path));
  int32_t dot = -1;
  for (int32_t i = PrefixIndex(length); i < length; ++i) {
    if (path[i] == u'\\') {
      dot = -1;
    } else if (path[i] == u'.') {
      dot = i;
    }
  }
  if (dot < 0 || dot == 0 || path[dot - 1] == u'\\') return 0;
  path[dot] = 0;
  return length - dot;
}

// A trailing backslash starts no component, so a drive root is its own name.
int32_t NameStart(const char16_t* path) {
  int32_t length = static_cast<int32_t>(TextLength(path));
  int32_t result = PrefixIndex(length);
  for (int32_t i = result; i < length; ++i) {
    if (path[i] == u'\\' && path[i + 1] != 0) result = i + 1;
  }
  return result;
}

void AppendOutputLine(PathNode** headSlot, PathNode** tailSlot, char16_t* path, int32_t length,
                      bool isFile) {
  PathNode* node = static_cast<PathNode*>(PlatformAlloc(sizeof(PathNode)));
  if (node == nullptr) {
    FailJob();
    return;
  }
  if (!g_settings.extensionShown && isFile) length -= StripExtension(path);

  const char16_t* prefix = isFile ? g_job.filePrefix : g_job.folderPrefix;
  const char16_t* suffix = isFile ? g_job.fileSuffix : g_job.folderSuffix;
  int32_t prefixLength = isFile ? g_job.filePrefixLength : g_job.folderPrefixLength;
  int32_t suffixLength = isFile ? g_job.fileSuffixLength : g_job.folderSuffixLength;

  PathForm form = g_settings.pathForm;
  int32_t start = form == PathForm::NameOnly || form == PathForm::Tree ? NameStart(path)
                                                                         : PrefixIndex(length);
  int32_t indentLength = form == PathForm::Tree ? g_job.treeIndent.length : 0;
  int64_t total = int64_t{indentLength} + prefixLength + (length - start) + suffixLength;
  node->text = total < INT32_MAX ? static_cast<char16_t*>(PlatformAllocArray(
                                       static_cast<size_t>(total) + 1, sizeof(char16_t)))
                                 : nullptr;
  if (node->text == nullptr) {
    PlatformFree(node);
    FailJob();
    return;
  }
  char16_t* out = node->text;
  out = Append(out, g_job.treeIndent.text, indentLength);
  out = Append(out, prefix, prefixLength);
  out = Append(out, path + start, length - start);
  out = Append(out, suffix, suffixLength);
  *out = 0;

  node->next = nullptr;
  node->child = nullptr;
  node->length = static_cast<int32_t>(total);
  node->isFile = isFile ? 1 : 0;
  node->isTerminal = 0;
  node->isLink = 0;
  if (*headSlot == nullptr) {
    *headSlot = node;
  } else {
    (*tailSlot)->next = node;
  }
  *tailSlot = node;
  g_job.totalChars += total;
  g_job.lineCount += 1;
}

void MarkLastSibling() {
  TreeIndent& indent = g_job.treeIndent;
  if (indent.length > 0 && indent.text[indent.length - 1] == kBranch) {
    indent.text[indent.length - 1] = kLastBranch;
  }
}

void PushIndent() {
  TreeIndent& indent = g_job.treeIndent;
  if (!ReserveIndent(indent.length + 2)) {
    FailJob();
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

void PopIndent() {
  TreeIndent& indent = g_job.treeIndent;
  if (indent.length < 2) return;
  indent.length -= 2;
  indent.text[indent.length] = 0;
  if (indent.length > 0 && indent.text[indent.length - 1] == kVertical) {
    indent.text[indent.length - 1] = kBranch;
  }
}

void ReleaseTreeIndent() {
  PlatformFree(g_job.treeIndent.text);
  g_job.treeIndent = TreeIndent{nullptr, 0, 0};
}
