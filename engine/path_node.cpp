#include "engine/path_node.h"

#include <climits>
#include <cstring>

#include "engine/collation.h"
#include "engine/job_context.h"
#include "engine/text.h"
#include "platform/memory.h"

namespace {

// A node with a copy of name; null after setting both flags when storage
// runs out. Nothing is linked yet, so a failure leaves every list as it was.
PathNode* MakeNode(const char16_t* name, int32_t length, uint8_t isFile) {
  PathNode* node = static_cast<PathNode*>(PlatformAlloc(sizeof(PathNode)));
  if (node == nullptr) {
    FailJob();
    return nullptr;
  }
  size_t units = length > 0 ? static_cast<size_t>(length) : TextLength(name);
  node->text = units < INT32_MAX ? CopyText(name, units) : nullptr;
  if (node->text == nullptr) {
    PlatformFree(node);
    FailJob();
    return nullptr;
  }
  node->next = nullptr;
  node->child = nullptr;
  node->length = static_cast<int32_t>(units);
  node->isFile = isFile;
  node->isTerminal = 0;
  node->isLink = 0;
  return node;
}

// Merges two sorted runs; `later` holds the nodes that arrived after those
// of `earlier`. A later node goes first exactly when InsertSorted would have
// put it in front: when it compares zero or negative.
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

void InsertSorted(const char16_t* name, int32_t length, PathNode** headSlot, PathNode** tailSlot,
                  uint8_t isFile) {
  PathNode* node = MakeNode(name, length, isFile);
  if (node == nullptr) return;
  if (*headSlot == nullptr) {
    *headSlot = node;
    *tailSlot = node;
    return;
  }
  // Names that arrive in order cost one comparison each.
  if (CompareNames(node->text, isFile, (*tailSlot)->text, (*tailSlot)->isFile) > 0) {
    (*tailSlot)->next = node;
    *tailSlot = node;
    return;
  }
  // The tail does not precede the new name, so the walk stops at the tail at
  // the latest and the tail slot never changes here.
  PathNode** link = headSlot;
  while (CompareNames(node->text, isFile, (*link)->text, (*link)->isFile) > 0) {
    link = &(*link)->next;
  }
  node->next = *link;
  *link = node;
}

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
    PlatformFree(node->text);
    PlatformFree(node);
    node = next;
  }
  *headSlot = nullptr;
  if (tailSlot != nullptr) *tailSlot = nullptr;
}
