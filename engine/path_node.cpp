#include "engine/path_node.h"

#include <cstdint>
#include <cstring>

#include "engine/collation.h"
#include "engine/text.h"
#include "platform/memory.h"

namespace {

// A node with a copy of name; null when storage runs out. Nothing is linked
// yet, so a failure leaves every list as it was. The text lives in the
// node's own block, right after it: one allocation per entry, which matters
// on systems whose heap is slow (a folder scan makes one node per entry).
PathNode* MakeNode(const char16_t* name, int32_t length, uint8_t isFile) {
  size_t units = static_cast<size_t>(length);
  if (units > (SIZE_MAX - sizeof(PathNode)) / sizeof(char16_t) - 1) return nullptr;
  void* block = PlatformAlloc(sizeof(PathNode) + (units + 1) * sizeof(char16_t));
  if (block == nullptr) return nullptr;
  auto* node = static_cast<PathNode*>(block);
  node->text = reinterpret_cast<char16_t*>(static_cast<char*>(block) + sizeof(PathNode));
  std::memcpy(node->text, name, units * sizeof(char16_t));
  node->text[units] = 0;
  node->next = nullptr;
  node->child = nullptr;
  node->length = static_cast<int32_t>(units);
  node->isFile = isFile;
  node->isTerminal = 0;
  node->isLink = 0;
  return node;
}

// Merges two sorted runs; `later` holds the nodes that arrived after those
// of `earlier`. A later node goes first exactly when it compares zero or
// negative, as an insertion in arrival order would have placed it.
PathNode* MergeRuns(PathNode* earlier, PathNode* later) {
  PathNode* head = nullptr;
  PathNode** link = &head;
  while (earlier != nullptr && later != nullptr) {
    if (CompareNames(later->text, later->isFile, earlier->text, earlier->isFile) <= 0) {
      *link = later;
      later = later->next;
    } else {
      *link = earlier;
      earlier = earlier->next;
    }
    link = &(*link)->next;
  }
  *link = earlier != nullptr ? earlier : later;
  return head;
}

}  // namespace

PathNode* AppendNode(const char16_t* name, int32_t length, PathNode** headSlot, PathNode** tailSlot,
                     uint8_t isFile) {
  PathNode* node = MakeNode(name, length, isFile);
  if (node == nullptr) return nullptr;
  if (*headSlot == nullptr) {
    *headSlot = node;
  } else {
    (*tailSlot)->next = node;
  }
  *tailSlot = node;
  return node;
}

// Bottom-up merge sort: bin k holds a sorted run of 2^k nodes that arrived
// before every node of the lower bins, so arrival order decides the merges
// exactly as it decides the insertions.
void SortNodeList(PathNode** headSlot, PathNode** tailSlot) {
  PathNode* bins[64] = {};
  PathNode* node = *headSlot;
  while (node != nullptr) {
    PathNode* run = node;
    node = node->next;
    run->next = nullptr;
    int k = 0;
    while (k < 63 && bins[k] != nullptr) {
      run = MergeRuns(bins[k], run);
      bins[k] = nullptr;
      ++k;
    }
    bins[k] = bins[k] == nullptr ? run : MergeRuns(bins[k], run);
  }
  PathNode* sorted = nullptr;
  for (PathNode* bin : bins) {
    if (bin != nullptr) sorted = sorted == nullptr ? bin : MergeRuns(bin, sorted);
  }
  *headSlot = sorted;
  PathNode* tail = sorted;
  while (tail != nullptr && tail->next != nullptr) tail = tail->next;
  if (tailSlot != nullptr) *tailSlot = tail;
}

// Iterative, so that a path tree as deep as the longest path cannot exhaust
// the stack: a node's child list is spliced in front of its siblings.
void FreeNodeList(PathNode** headSlot, PathNode** tailSlot) {
  PathNode* node = *headSlot;
  while (node != nullptr) {
    if (node->child != nullptr) {
      PathNode* last = node->child;
      while (last->next != nullptr) last = last->next;
      last->next = node->next;
      node->next = node->child;
      node->child = nullptr;
    }
    PathNode* next = node->next;
    PlatformFree(node);
    node = next;
  }
  *headSlot = nullptr;
  if (tailSlot != nullptr) *tailSlot = nullptr;
}
