#pragma once
// PathNode: the node of the engine's lists (the entry list, each folder's
// entry list, the path tree).

#include <cstddef>
#include <cstdint>

#include "platform/array.h"
#include "platform/owned.h"

struct PathNode {
  PathNode* next;     // next node of the list; next sibling in the path tree
  PathNode* child;    // first child; path tree only
  int32_t length;     // units in text, terminator not counted
  char16_t* text;     // NUL-terminated, in the node's own block
  uint8_t isFile;     // 1 file, 0 folder
  uint8_t isTerminal; // path tree: 1 on a listed item's own node
  uint8_t isLink;     // folder entry list: a linked folder, never descended into
};

// Nodes made in blocks of the arena's own, freed together when it ends: one
// allocation per node is slow on some systems' heaps.
struct NodeArena {
  Array<OwnedBlock<char>> blocks;  // the newest last
  size_t used = 0;                 // bytes taken of the newest block
  size_t size = 0;                 // bytes of the newest block
};

// Makes a node holding a copy of name (length units) and links it at the
// tail; null (the list unchanged) when storage runs out.
PathNode* AppendArenaNode(NodeArena* arena, const char16_t* name, int32_t length, PathNode** headSlot,
                          PathNode** tailSlot, uint8_t isFile);

// Sorts by CompareNames as inserting the nodes one by one in list order
// would (a later one first when it compares zero or less); no allocation.
void SortNodeList(PathNode** headSlot, PathNode** tailSlot);
