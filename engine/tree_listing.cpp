#include "engine/tree_listing.h"

#include <cstring>

#include "engine/flat_listing.h"
#include "engine/output_line.h"
#include "engine/path_rules.h"
#include "platform/array.h"
#include "platform/owned.h"

namespace {

// The path tree's nodes by level and text, and each level's last node, so
// that a level of many siblings costs constant time per path.
struct IndexSlot {
  PathNode** level;  // the level's head slot; null in an empty slot
  PathNode* node;    // the node with that text, or the level's last node
  bool isTail;
};

struct TreeIndex {
  OwnedBlock<IndexSlot> slots;
  size_t capacity = 0;  // a power of two
  size_t used = 0;
};

size_t SlotHash(PathNode** level, const char16_t* text, int32_t length, bool isTail) {
  uint64_t hash = 14695981039346656037ull ^ reinterpret_cast<uintptr_t>(level) ^ (isTail ? 0x9E3779B9u : 0u);
  for (int32_t i = 0; i < length; ++i) hash = (hash ^ text[i]) * 1099511628211ull;
  return static_cast<size_t>(hash ^ (hash >> 29));
}

// The slot of a key, or the empty one where it would go. Components match
// only unit for unit: no folding may merge two names.
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
  TreeIndex grown{MakeBlock<IndexSlot>(capacity), capacity, index->used};
  if (grown.slots == nullptr) return false;
  for (size_t i = 0; i < capacity; ++i) grown.slots[i] = IndexSlot{nullptr, nullptr, false};
  for (size_t i = 0; i < index->capacity; ++i) {
    const IndexSlot& old = index->slots[i];
    if (old.level == nullptr) continue;
    // A tail's key is its level alone, not its node's text.
    *FindSlot(grown, old.level, old.isTail ? nullptr : old.node->text, old.isTail ? 0 : old.node->length,
              old.isTail) = old;
  }
  *index = std::move(grown);
  return true;
}

// Puts after path's first length units a separator (unless none or they
// end in one) and text, terminated; false when storage runs out.
bool PutComponent(Array<char16_t>* path, size_t length, const char16_t* text, size_t textLength,
                  char16_t separator) {
  path->Truncate(length);
  return EndWithSeparator(path, separator) && path->AppendUnits(text, textLength) && path->Append(u'\0');
}

// Cuts the path into components: a network path's server keeps its two
// separators, a drive its own ("C:\"); empty components are skipped.
bool InsertPathIntoTree(TreeIndex* index, NodeArena* arena, PathNode** root, const char16_t* path, int32_t length,
                        uint8_t isFile, PathStyle style) {
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
      node = AppendArenaNode(arena, path + start, end - start, level, &last, isLast ? isFile : 0);
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

// A level of the path tree being listed.
struct Level {
  PathNode* next;
  size_t parentLength;  // of the level's parent's path
};

// Lists the path tree's levels from first on, below path (length units),
// depth first, on a stack of its own: any depth costs no call stack.
void EmitTreeLevels(ListingContext* context, Array<char16_t>* path, size_t length, PathNode* first) {
  Array<Level> levels;
  if (first != nullptr && !levels.Append(Level{first, length})) context->failed = true;
  const char16_t separator = PathSeparator(context);
  while (!levels.empty()) {
    Level& level = levels.back();
    PathNode* node = level.next;
    if (node == nullptr || ListingStopped(context)) {
      levels.PopBack();
      if (!levels.empty()) PopIndent(context);
      continue;
    }
    level.next = node->next;
    size_t parentLength = level.parentLength;
    if (!PutComponent(path, parentLength, node->text, static_cast<size_t>(node->length), separator)) {
      context->failed = true;
      continue;
    }
    ListItem(context, path->data(), static_cast<int32_t>(path->size() - 1), node->isFile != 0, node->next == nullptr);
    if (node->isFile == 0 && node->isTerminal != 0 && context->request->options.folderScan) {
      PushIndent(context);
      ScanInputFolder(context, path->data());
      PopIndent(context);
    }
    if (node->child != nullptr) {
      // A file line may have cut the extension in place: rebuild the path.
      if (!PutComponent(path, parentLength, node->text, static_cast<size_t>(node->length), separator) ||
          !levels.Append(Level{node->child, path->size() - 1})) {
        context->failed = true;
        continue;
      }
      PushIndent(context);
    }
  }
}

}  // namespace

// The items' paths become a tree of components, drawn from the first level
// where they part: the chain they all share is not listed.
void ListTree(ListingContext* context, PathNode* entryList) {
  NodeArena arena;
  PathNode* node = nullptr;
  {
    TreeIndex index;
    for (PathNode* entry = entryList; entry != nullptr && !ListingStopped(context); entry = entry->next) {
      if (!InsertPathIntoTree(&index, &arena, &node, entry->text, entry->length, entry->isFile, StyleOf(context))) {
        context->failed = true;
      }
    }
  }
  Array<char16_t> chain;
  if (ListingStopped(context)) return;
  if (!chain.Append(u'\0')) {
    context->failed = true;
    return;
  }
  while (node != nullptr && node->next == nullptr && node->isTerminal == 0) {
    if (!PutComponent(&chain, chain.size() - 1, node->text, static_cast<size_t>(node->length),
                      PathSeparator(context))) {
      context->failed = true;
      return;
    }
    node = node->child;
  }
  EmitTreeLevels(context, &chain, chain.size() - 1, node);
}
