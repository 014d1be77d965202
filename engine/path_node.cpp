#include "engine/path_node.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/collation.h"

namespace {

// Bytes of a node holding `length` units and a terminator, rounded up so
// that the next node in an arena block stays aligned; 0 when too large.
size_t NodeBytes(int32_t length) {
  size_t units = static_cast<size_t>(length);
  if (length < 0 || units > (SIZE_MAX / 2 - sizeof(PathNode)) / sizeof(char16_t)) return 0;
  size_t bytes = sizeof(PathNode) + (units + 1) * sizeof(char16_t);
  return (bytes + alignof(PathNode) - 1) / alignof(PathNode) * alignof(PathNode);
}

// Makes a node in block (NodeBytes(length) bytes) with a copy of name.
PathNode* PlaceNode(char* block, const char16_t* name, int32_t length, uint8_t isFile) {
  auto* text = reinterpret_cast<char16_t*>(block + sizeof(PathNode));
  std::memcpy(text, name, static_cast<size_t>(length) * sizeof(char16_t));
  text[length] = 0;
  return new (block) PathNode{.next = nullptr, .child = nullptr, .length = length, .text = text, .isFile = isFile,
                              .isTerminal = 0, .isLink = 0};
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

namespace {

// Blocks start small, so that a folder of a few entries costs one small
// block, and double up to a size where a block's bookkeeping is nothing
// against its nodes. A node larger than that gets a block of its own size.
constexpr size_t kFirstBlockBytes = 4096;
constexpr size_t kLargestBlockBytes = 65536;

}  // namespace

PathNode* AppendArenaNode(NodeArena* arena, const char16_t* name, int32_t length, PathNode** headSlot,
                          PathNode** tailSlot, uint8_t isFile) {
  size_t bytes = NodeBytes(length);
  if (bytes == 0) return nullptr;
  if (arena->size - arena->used < bytes) {
    size_t size = arena->size == 0 ? kFirstBlockBytes : std::min(arena->size * 2, kLargestBlockBytes);
    if (size < bytes) size = bytes;
    OwnedBlock<char> block = MakeBlock<char>(size);
    if (block == nullptr || !arena->blocks.Append(std::move(block))) return nullptr;
    arena->used = 0;
    arena->size = size;
  }
  PathNode* node = PlaceNode(arena->blocks.back().get() + arena->used, name, length, isFile);
  arena->used += bytes;
  LinkAtTail(node, headSlot, tailSlot);
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
