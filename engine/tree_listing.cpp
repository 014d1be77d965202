#include "engine/tree_listing.h"

#include <cstring>

#include "engine/flat_listing.h"
#include "engine/output_line.h"
#include "engine/path_rules.h"
#include "engine/text.h"
#include "platform/memory.h"

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

// Appends to buffer (holding *length units) a separator, unless it is empty
// or already ends in one, then text; the buffer has room by construction.
void AppendComponent(char16_t* buffer, size_t* length, const char16_t* text, size_t textLength) {
  if (*length > 0 && buffer[*length - 1] != kPathSeparator) buffer[(*length)++] = kPathSeparator;
  std::memcpy(buffer + *length, text, textLength * sizeof(char16_t));
  *length += textLength;
  buffer[*length] = 0;
}

// Cuts the path into components: a network path keeps its two separators
// on the server component, a drive keeps its separator ("C:\"), and empty
// components from repeated or trailing separators are ignored. False when
// storage runs out.
bool InsertPathIntoTree(PathNode** root, const char16_t* path, int32_t length, uint8_t isFile) {
  int32_t rootLength = RootComponentLength(path, length);
  bool networkRoot = IsNetworkPath(path, length);
  PathNode** level = root;
  int32_t i = 0;
  while (i < length) {
    int32_t start = i;
    if (start == 0 && networkRoot) i = rootLength;
    while (i < length && path[i] != kPathSeparator) ++i;
    int32_t end = i;
    if (start == 0 && !networkRoot && rootLength > 0 && end + 1 == rootLength) end = rootLength;
    i = end == i ? i + 1 : end;
    if (end == start) continue;

    bool isLast = end == length;
    PathNode* last = nullptr;
    PathNode* node = FindSibling(*level, path + start, end - start, &last);
    if (node == nullptr) {
      node = AppendNode(path + start, end - start, level, &last, isLast ? isFile : 0);
      if (node == nullptr) return false;
      node->isTerminal = isLast ? 1 : 0;
    }
    level = &node->child;
  }
  return true;
}

// Lists one level of the path tree below parentPath, then each node's own
// level below it.
void EmitTreeLevel(ListingContext* context, const char16_t* parentPath, PathNode* firstNode) {
  if (firstNode == nullptr) return;
  size_t parentLength = TextLength(parentPath);
  size_t longest = 0;
  for (PathNode* node = firstNode; node != nullptr; node = node->next) {
    if (static_cast<size_t>(node->length) > longest) longest = static_cast<size_t>(node->length);
  }
  auto* path = static_cast<char16_t*>(PlatformAllocArray(parentLength + longest + 2, sizeof(char16_t)));
  if (path == nullptr) {
    context->failed = true;
    return;
  }
  for (PathNode* node = firstNode; node != nullptr; node = node->next) {
    if (ListingStopped(context)) break;
    std::memcpy(path, parentPath, parentLength * sizeof(char16_t));
    size_t length = parentLength;
    AppendComponent(path, &length, node->text, static_cast<size_t>(node->length));
    if (node->isFile == 0) {
      if (AdmitsFolders(context)) {
        if (node->next == nullptr) MarkLastSibling(context);
        AppendOutputLine(context, path, static_cast<int32_t>(length), false);
      }
      if (node->isTerminal != 0 && context->request->options.folderScan) {
        PushIndent(context);
        ScanFolder(context, path);
        PopIndent(context);
      }
    } else if (AdmitsFiles(context)) {
      if (node->next == nullptr) MarkLastSibling(context);
      AppendOutputLine(context, path, static_cast<int32_t>(length), true);
    }
    if (node->child != nullptr) {
      // A file line may have cut the extension in place: rebuild the path.
      std::memcpy(path, parentPath, parentLength * sizeof(char16_t));
      length = parentLength;
      AppendComponent(path, &length, node->text, static_cast<size_t>(node->length));
      PushIndent(context);
      EmitTreeLevel(context, path, node->child);
      PopIndent(context);
    }
  }
  PlatformFree(path);
}

}  // namespace

// The items' paths become a tree of components; the chain of single
// components that every item shares is not listed, and the tree is drawn
// from the first level where the items part.
void ListTree(ListingContext* context, PathNode* entryList) {
  PathNode* tree = nullptr;
  size_t longest = 0;
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (ListingStopped(context)) break;
    if (!InsertPathIntoTree(&tree, entry->text, entry->length, entry->isFile)) context->failed = true;
    if (static_cast<size_t>(entry->length) > longest) longest = static_cast<size_t>(entry->length);
  }
  // The chain is rebuilt from one entry's components, so it is never longer
  // than that entry's path.
  char16_t* chain = nullptr;
  if (!ListingStopped(context)) {
    chain = static_cast<char16_t*>(PlatformAllocArray(longest + 2, sizeof(char16_t)));
    if (chain == nullptr) context->failed = true;
  }
  if (chain != nullptr) {
    chain[0] = 0;
    size_t chainLength = 0;
    PathNode* node = tree;
    while (node != nullptr && node->next == nullptr && node->isTerminal == 0) {
      AppendComponent(chain, &chainLength, node->text, static_cast<size_t>(node->length));
      node = node->child;
    }
    EmitTreeLevel(context, chain, node);
    PlatformFree(chain);
  }
  FreeNodeList(&tree, nullptr);
}
