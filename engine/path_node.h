#pragma once
// PathNode: the one node record of every list of the listing engine (entry
// list, folder entry list, output list, path tree).

#include <cstdint>

struct PathNode {
  PathNode* next;     // next node of the list; next sibling in the path tree
  PathNode* child;    // first child; path tree only
  int32_t length;     // units in text, terminator not counted
  char16_t* text;     // owned, NUL-terminated, length + 1 units
  uint8_t isFile;     // 1 file, 0 folder
  uint8_t isTerminal; // path tree: 1 on a listed item's own node
  uint8_t isLink;     // folder entry list: a linked folder, never descended into
};

// Makes a node holding a copy of name (length units; 0 counts them) and
// links it into the list in collation order. On allocation failure the list
// is unchanged and the job's abort and failure flags are set.
void InsertSorted(const char16_t* name, int32_t length, PathNode** headSlot, PathNode** tailSlot,
                  uint8_t isFile);

// Makes a node as InsertSorted does but links it at the tail, unsorted.
// Returns the node, or null after setting both flags on allocation failure.
PathNode* AppendNode(const char16_t* name, int32_t length, PathNode** headSlot, PathNode** tailSlot,
                     uint8_t isFile);

// Sorts a list into the order that inserting its nodes one by one, in list
// order, with InsertSorted would have given; O(n log n), no allocation.
void SortNodeList(PathNode** headSlot, PathNode** tailSlot);

// Frees every node with its text and child lists; clears the slots.
void FreeNodeList(PathNode** headSlot, PathNode** tailSlot);
