#include "engine/tree_listing.h"

#include <cstring>

#include "engine/flat_listing.h"
#include "engine/output_line.h"
#include "engine/path_rules.h"
#include "engine/text.h"
#include "platform/memory.h"

namespace {

// The path tree's nodes by level and text, and each level's last node
// (where a new one is appended), so that a level of many siblings costs
// constant time per path: open addressing over one block of slots.
struct IndexSlot {
  PathNode** level;  // the level's head slot; null in an empty slot
  PathNode* node;    // the node with that text, or the level's last node
  bool isTail;
};

struct TreeIndex {
  IndexSlot* slots;
  size_t capacity;  // a power of two
  size_t used;
};

size_t SlotHash(PathNode** level, const char16_t* text, int32_t length, bool isTail) {
  uint64_t hash = 14695981039346656037ull ^ reinterpret_cast<uintptr_t>(level) ^ (isTail ? 0x9E3779B9u : 0u);
  for (int32_t i = 0; i < length; ++i) hash = (hash ^ text[i]) * 1099511628211ull;
  return static_cast<size_t>(hash ^ (hash >> 29));
}

// The slot of a key, or the empty slot where it would go. Components are
// the same only when every unit is: no folding may merge two names.
IndexSlot* FindSlot(const TreeIndex& index, PathNode** level, const char16_t* text, int32_t length, bool isTail) {
  size_t mask = index.capacity - 1;
  for (size_t i = SlotHash(level, text, length, isTail) & mask;; i = (i + 1) & mask) {
    IndexSlot& slot = index.slots[i];
    if (slot.level == nullptr) return &slot;
    if (slot.level == level && slot.isTail == isTail &&
        (isTail || (slot.node->length == length &&
                    std::memcmp(slot.node->text, text, static_cast<size_t>(length) * sizeof(char16_t)) == 0))) {
      return &slot;
    }
  }
}

// Room for two more slots at a load of at most one half.
bool ReserveSlots(TreeIndex* index) {
  if ((index->used + 2) * 2 <= index->capacity) return true;
  size_t capacity = index->capacity == 0 ? 64 : index->capacity * 2;
  auto* slots = static_cast<IndexSlot*>(PlatformAllocArray(capacity, sizeof(IndexSlot)));
  if (slots == nullptr) return false;
  for (size_t i = 0; i < capacity; ++i) slots[i] = IndexSlot{nullptr, nullptr, false};
  TreeIndex grown{slots, capacity, index->used};
  for (size_t i = 0; i < index->capacity; ++i) {
    const IndexSlot& old = index->slots[i];
    if (old.level == nullptr) continue;
    // A tail's key is its level alone, not its node's text.
    *FindSlot(grown, old.level, old.isTail ? nullptr : old.node->text, old.isTail ? 0 : old.node->length,
              old.isTail) = old;
  }
  PlatformFree(index->slots);
  *index = grown;
  return true;
}

// Appends to buffer (holding *length units) a separator, unless it is empty
// or already ends in one, then text; the buffer has room by construction.
void AppendComponent(char16_t* buffer, size_t* length, const char16_t* text, size_t textLength, char16_t separator) {
  if (*length > 0 && buffer[*length - 1] != separator) buffer[(*length)++] = separator;
  std::memcpy(buffer + *length, text, textLength * sizeof(char16_t));
  *length += textLength;
  buffer[*length] = 0;
}

// Cuts the path into components: a network path keeps its two separators
// on the server component, a drive keeps its separator ("C:\"), and empty
// components from repeated or trailing separators are ignored. False when
// storage runs out.
bool InsertPathIntoTree(TreeIndex* index, PathNode** root, const char16_t* path, int32_t length, uint8_t isFile,
                        PathStyle style) {
  const char16_t separator = SeparatorOf(style);
  int32_t rootLength = RootComponentLength(path, length, style);
  bool networkRoot = IsNetworkPath(path, length, style);
  PathNode** level = root;
  int32_t i = 0;
  while (i < length) {
    int32_t start = i;
    if (start == 0 && networkRoot) i = rootLength;
    while (i < length && path[i] != separator) ++i;
    int32_t end = i;
    if (start == 0 && !networkRoot && rootLength > 0 && end + 1 == rootLength) end = rootLength;
    i = end == i ? i + 1 : end;
    if (end == start) continue;

    bool isLast = end == length;
    if (!ReserveSlots(index)) return false;
    IndexSlot* found = FindSlot(*index, level, path + start, end - start, false);
    PathNode* node = found->node;
    if (found->level == nullptr) {
      IndexSlot* tail = FindSlot(*index, level, nullptr, 0, true);
      PathNode* last = tail->node;
      node = AppendNode(path + start, end - start, level, &last, isLast ? isFile : 0);
      if (node == nullptr) return false;
      node->isTerminal = isLast ? 1 : 0;
      // The node's slot first, then the tail's: both may have been the same
      // empty slot.
      *FindSlot(*index, level, path + start, end - start, false) = IndexSlot{level, node, false};
      tail = FindSlot(*index, level, nullptr, 0, true);
      index->used += tail->level == nullptr ? 2 : 1;
      *tail = IndexSlot{level, node, true};
    } else if (isLast) {
      // An item whose node an earlier, deeper item made (a file inside the
      // dropped folder sorts first) is listed and scanned all the same.
      node->isTerminal = 1;
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
    AppendComponent(path, &length, node->text, static_cast<size_t>(node->length), PathSeparator(context));
    if (node->isFile == 0) {
      if (AdmitsFolders(context)) {
        if (node->next == nullptr) MarkLastSibling(context);
        AppendOutputLine(context, path, static_cast<int32_t>(length), false);
      }
      if (node->isTerminal != 0 && context->request->options.folderScan) {
        PushIndent(context);
        ScanInputFolder(context, path);
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
      AppendComponent(path, &length, node->text, static_cast<size_t>(node->length), PathSeparator(context));
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
  TreeIndex index{nullptr, 0, 0};
  size_t longest = 0;
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (ListingStopped(context)) break;
    if (!InsertPathIntoTree(&index, &tree, entry->text, entry->length, entry->isFile, StyleOf(context))) context->failed = true;
    if (static_cast<size_t>(entry->length) > longest) longest = static_cast<size_t>(entry->length);
  }
  PlatformFree(index.slots);
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
      AppendComponent(chain, &chainLength, node->text, static_cast<size_t>(node->length), PathSeparator(context));
      node = node->child;
    }
    EmitTreeLevel(context, chain, node);
    PlatformFree(chain);
  }
  FreeNodeList(&tree, nullptr);
}
