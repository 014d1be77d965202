#include "engine/path_node.h"

#include <cstdint>
#include <cstring>

#include "engine/collation.h"
#include "engine/text.h"
#include "platform/memory.h"

namespace {

// Bytes of a node holding `length` units and a terminator, rounded up so
// that the next node in an arena block stays aligned; 0 when too large.
size_t NodeBytes(int32_t length) {
  size_t units = static_cast<size_t>(length);
  if (length < 0 || units > (SIZE_MAX / 2 - sizeof(PathNode)) / sizeof(char16_t)) return 0;
  size_t bytes = sizeof(PathNode) + (units + 1) * sizeof(char16_t);
  return (bytes + alignof(PathNode) - 1) / alignof(PathNode) * alignof(PathNode);
}

// Fills a node in block (NodeBytes(length) bytes) with a copy of name.
PathNode* PlaceNode(void* block, const char16_t* name, int32_t length, uint8_t isFile) {
  size_t units = static_cast<size_t>(length);
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

// A node with a copy of name; null when storage runs out. Nothing is linked
// yet, so a failure leaves every list as it was. The text lives in the
// node's own block, right after it: one allocation per node.
PathNode* MakeNode(const char16_t* name, int32_t length, uint8_t isFile) {
  size_t bytes = NodeBytes(length);
  void* block = bytes != 0 ? PlatformAlloc(bytes) : nullptr;
  return block != nullptr ? PlaceNode(block, name, length, isFile) : nullptr;
}

void LinkAtTail(PathNode* node, PathNode** headSlot, PathNode** tailSlot) {
  if (*headSlot == nullptr) {
    *headSlot = node;
  } else {
    (*tailSlot)->next = node;
  }
  *tailSlot = node;
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
  if (node != nullptr) LinkAtTail(node, headSlot, tailSlot);
  return node;
}

// A block's header; its nodes follow it.
struct NodeBlock {
  NodeBlock* previous;
  size_t size;  // bytes after the header
};

namespace {

// Blocks start small, so that a folder of a few entries costs one small
// block, and double up to a size where a block's bookkeeping is nothing
// against its nodes. A node larger than that gets a block of its own size.
constexpr size_t kFirstBlockBytes = 4096;
constexpr size_t kLargestBlockBytes = 65536;
constexpr size_t kBlockHeader = (sizeof(NodeBlock) + alignof(PathNode) - 1) / alignof(PathNode) * alignof(PathNode);

}  // namespace

PathNode* AppendArenaNode(NodeArena* arena, const char16_t* name, int32_t length, PathNode** headSlot,
                          PathNode** tailSlot, uint8_t isFile) {
  size_t bytes = NodeBytes(length);
  if (bytes == 0) return nullptr;
  if (arena->blocks == nullptr || arena->blocks->size - arena->used < bytes) {
    size_t size = arena->blocks == nullptr ? kFirstBlockBytes : arena->blocks->size * 2;
    if (size > kLargestBlockBytes) size = kLargestBlockBytes;
    if (size < bytes) size = bytes;
    auto* block = static_cast<NodeBlock*>(PlatformAlloc(kBlockHeader + size));
    if (block == nullptr) return nullptr;
    block->previous = arena->blocks;
    block->size = size;
    arena->blocks = block;
    arena->used = 0;
  }
  void* place = reinterpret_cast<char*>(arena->blocks) + kBlockHeader + arena->used;
  arena->used += bytes;
  PathNode* node = PlaceNode(place, name, length, isFile);
  LinkAtTail(node, headSlot, tailSlot);
  return node;
}

void FreeNodeArena(NodeArena* arena) {
  NodeBlock* block = arena->blocks;
  while (block != nullptr) {
    NodeBlock* previous = block->previous;
    PlatformFree(block);
    block = previous;
  }
  *arena = NodeArena{nullptr, 0};
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
