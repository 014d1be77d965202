#pragma once
// PathNode: the node record of the engine's lists (the entry list, each
// folder's entry list, the path tree). Output lines have no nodes.

#include <cstddef>
#include <cstdint>

struct PathNode {
  PathNode* next;     // next node of the list; next sibling in the path tree
  PathNode* child;    // first child; path tree only
  int32_t length;     // units in text, terminator not counted
  char16_t* text;     // NUL-terminated, length + 1 units, in the node's own block
  uint8_t isFile;     // 1 file, 0 folder
  uint8_t isTerminal; // path tree: 1 on a listed item's own node
  uint8_t isLink;     // folder entry list: a linked folder, never descended into
};

// Makes a node holding a copy of name (length units) and links it at the
// tail. Returns the node, or null (the list unchanged) when storage runs out.
PathNode* AppendNode(const char16_t* name, int32_t length, PathNode** headSlot, PathNode** tailSlot,
                     uint8_t isFile);

// Nodes made in blocks of the arena's own, freed all at once: a folder's
// entries are made together and freed together, and one allocation per
// entry is slow on some systems' heaps.
struct NodeBlock;
struct NodeArena {
  NodeBlock* blocks;  // the newest first
  size_t used;        // bytes taken of the newest block
};

// As AppendNode, the node made in the arena. Such nodes are never handed to
// FreeNodeList: FreeNodeArena frees them.
PathNode* AppendArenaNode(NodeArena* arena, const char16_t* name, int32_t length, PathNode** headSlot,
                          PathNode** tailSlot, uint8_t isFile);
void FreeNodeArena(NodeArena* arena);

// Sorts a list by CompareNames. Nodes are taken in list order and a later
// node goes before an earlier one exactly when it compares zero or less, as
// inserting them one by one into a sorted list would place them.
// O(n log n), no allocation.
void SortNodeList(PathNode** headSlot, PathNode** tailSlot);

// Frees every node with its text and child lists; clears the slots.
void FreeNodeList(PathNode** headSlot, PathNode** tailSlot);
