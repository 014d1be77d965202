#include "engine/path_node.h"

#include <algorithm>
#include <cstring>

#include "engine/collation.h"

namespace {

// Blocks start small (a folder of a few entries costs one small block) and
// double up to where bookkeeping is nothing; a larger node gets its own.
constexpr size_t kFirstBlockBytes = 4096;
constexpr size_t kLargestBlockBytes = 65536;

// Merges two sorted runs; `later` holds the nodes that arrived after those
// of `earlier`, and goes first where it compares zero or less.
PathNode* MergeRuns(PathNode* earlier, PathNode* later) {
  PathNode* head = nullptr;
  PathNode** link = &head;
  while (earlier != nullptr && later != nullptr) {
    PathNode*& first = CompareNames(later->text, later->isFile, earlier->text, earlier->isFile) <= 0 ? later : earlier;
    *link = first;
    first = first->next;
    link = &(*link)->next;
  }
  *link = earlier != nullptr ? earlier : later;
  return head;
}

}  // namespace

// The node's text follows it in the block; the size is rounded up so that
// the next node stays aligned.
PathNode* AppendArenaNode(NodeArena* arena, const char16_t* name, int32_t length, PathNode** headSlot,
                          PathNode** tailSlot, uint8_t isFile) {
  auto units = static_cast<size_t>(length);
  if (length < 0 || units > (SIZE_MAX / 2 - sizeof(PathNode)) / sizeof(char16_t)) return nullptr;
  size_t bytes = sizeof(PathNode) + (units + 1) * sizeof(char16_t);
  bytes = (bytes + alignof(PathNode) - 1) / alignof(PathNode) * alignof(PathNode);
  if (arena->size - arena->used < bytes) {
    size_t size = arena->size == 0 ? kFirstBlockBytes : std::min(arena->size * 2, kLargestBlockBytes);
    if (size < bytes) size = bytes;
    OwnedBlock<char> block = MakeBlock<char>(size);
    if (block == nullptr || !arena->blocks.Append(std::move(block))) return nullptr;
    arena->used = 0;
    arena->size = size;
  }
  char* place = arena->blocks.back().get() + arena->used;
  arena->used += bytes;
  auto* text = reinterpret_cast<char16_t*>(place + sizeof(PathNode));
  std::memcpy(text, name, units * sizeof(char16_t));
  text[length] = 0;
  auto* node = new (place) PathNode{.next = nullptr, .child = nullptr, .length = length, .text = text,
                                    .isFile = isFile, .isTerminal = 0, .isLink = 0};
  (*headSlot == nullptr ? *headSlot : (*tailSlot)->next) = node;
  *tailSlot = node;
  return node;
}

// Bottom-up merge sort: bin k holds a sorted run of 2^k nodes that arrived
// before those of the lower bins, so merges keep the insertion order.
void SortNodeList(PathNode** headSlot, PathNode** tailSlot) {
  PathNode* bins[64] = {};
  for (PathNode* node = *headSlot; node != nullptr;) {
    PathNode* run = node;
    node = node->next;
    run->next = nullptr;
    int k = 0;
    for (; k < 63 && bins[k] != nullptr; bins[k++] = nullptr) run = MergeRuns(bins[k], run);
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
