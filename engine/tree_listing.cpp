#include "engine/tree_listing.h"

#include <cstring>

#include "engine/flat_listing.h"
#include "engine/job_context.h"
#include "engine/output_line.h"
#include "engine/text.h"
#include "platform/memory.h"
#include "settings/listing_settings.h"

namespace {

// The node of a level whose text is exactly the component, and the level's
// last node (where a new one is appended).
PathNode* FindSibling(PathNode* first, const char16_t* text, int32_t length, PathNode** last) {
  *last = nullptr;
  for (PathNode* node = first; node != nullptr; node = node->next) {
    if (node->length == length &&
        std::memcmp(node->text, text, static_cast<size_t>(length) * sizeof(char16_t)) == 0) {
      return node;
    }
    *last = node;
  }
  return nullptr;
}

// Appends to buffer (holding *length units) a backslash, unless it is empty
// or already ends in one, then text; the buffer has room by construction.
void AppendComponent(char16_t* buffer, size_t* length, const char16_t* text, size_t textLength) {
  if (*length > 0 && buffer[*length - 1] != u'\\') buffer[(*length)++] = u'\\';
  std::memcpy(buffer + *length, text, textLength * sizeof(char16_t));
  *length += textLength;
  buffer[*length] = 0;
}

}  // namespace

// Cuts the path into components: a network path keeps its two backslashes
// on the server component, a drive keeps its backslash ("C:\"), and empty
// components from repeated or trailing backslashes are ignored.
void InsertPathIntoTree(PathNode** root, const char16_t* path, uint8_t isFile) {
  int32_t length = static_cast<int32_t>(TextLength(path));
  bool isNetwork = length >= 2 && path[0] == u'\\' && path[1] == u'\\';
  PathNode** level = root;
  int32_t i = 0;
  while (i < length) {
    int32_t start = i;
    if (start == 0 && isNetwork) i = 2;
    while (i < length && path[i] != u'\\') ++i;
    int32_t end = i;
    if (start == 0 && !isNetwork && end == 2 && i < length) end = 3;  // "C:\"
    i = end == i ? i + 1 : end;
    if (end == start) continue;

    bool isLast = end == length;
    PathNode* last = nullptr;
    PathNode* node = FindSibling(*level, path + start, end - start, &last);
    if (node == nullptr) {
      node = AppendNode(path + start, end - start, level, &last, isLast ? isFile : 0);
      if (node == nullptr) return;
      node->isTerminal = isLast ? 1 : 0;
    }
    level = &node->child;
  }
}

void ListTree(PathNode** outputHead, PathNode** outputTail, PathNode* entryList) {
  PathNode* tree = nullptr;
  size_t longest = 0;
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (JobAborted()) {
      FreeNodeList(&tree, nullptr);
      return;
    }
    InsertPathIntoTree(&tree, entry->text, entry->isFile);
    if (static_cast<size_t>(entry->length) > longest) longest = static_cast<size_t>(entry->length);
  }

  // The chain is rebuilt from one entry's components, so it is never longer
  // than that entry's path.
  char16_t* chain = static_cast<char16_t*>(PlatformAllocArray(longest + 2, sizeof(char16_t)));
  if (chain == nullptr) {
    FailJob();
    FreeNodeList(&tree, nullptr);
    return;
  }
  chain[0] = 0;
  size_t chainLength = 0;
  PathNode* node = tree;
  while (node != nullptr && node->next == nullptr && node->isTerminal == 0) {
    if (JobAborted()) {
      PlatformFree(chain);
      FreeNodeList(&tree, nullptr);
      return;
    }
    AppendComponent(chain, &chainLength, node->text, static_cast<size_t>(node->length));
    node = node->child;
  }
  EmitTreeLevel(chain, outputHead, outputTail, node);
  PlatformFree(chain);
  FreeNodeList(&tree, nullptr);
}

void EmitTreeLevel(const char16_t* parentPath, PathNode** outputHead, PathNode** outputTail,
                   PathNode* firstNode) {
  if (firstNode == nullptr) return;
  size_t parentLength = TextLength(parentPath);
  size_t longest = 0;
  for (PathNode* node = firstNode; node != nullptr; node = node->next) {
    if (static_cast<size_t>(node->length) > longest) longest = static_cast<size_t>(node->length);
  }
  char16_t* path = static_cast<char16_t*>(PlatformAllocArray(parentLength + longest + 2, sizeof(char16_t)));
  if (path == nullptr) {
    FailJob();
    return;
  }
  bool filesListed = g_settings.itemFilter == ItemFilter::FilesAndFolders ||
                     g_settings.itemFilter == ItemFilter::FilesOnly;
  bool foldersListed = g_settings.itemFilter == ItemFilter::FilesAndFolders ||
                       g_settings.itemFilter == ItemFilter::FoldersOnly;

  for (PathNode* node = firstNode; node != nullptr; node = node->next) {
    if (JobAborted()) break;
    std::memcpy(path, parentPath, parentLength * sizeof(char16_t));
    size_t length = parentLength;
    AppendComponent(path, &length, node->text, static_cast<size_t>(node->length));
    if (node->isFile == 0) {
      if (foldersListed) {
        if (node->next == nullptr) MarkLastSibling();
        AppendOutputLine(outputHead, outputTail, path, static_cast<int32_t>(length), false);
      }
      if (node->isTerminal != 0 && g_settings.folderScan) {
        PushIndent();
        ScanFolder(path, outputHead, outputTail);
        PopIndent();
      }
    } else if (filesListed) {
      if (node->next == nullptr) MarkLastSibling();
      AppendOutputLine(outputHead, outputTail, path, static_cast<int32_t>(length), true);
    }
    if (node->child != nullptr) {
      // A file line may have cut the extension in place: rebuild the path.
      std::memcpy(path, parentPath, parentLength * sizeof(char16_t));
      length = parentLength;
      AppendComponent(path, &length, node->text, static_cast<size_t>(node->length));
      PushIndent();
      EmitTreeLevel(path, outputHead, outputTail, node->child);
      PopIndent();
    }
  }
  PlatformFree(path);
}
