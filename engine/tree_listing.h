#pragma once
// The Tree path form.

#include "engine/path_node.h"

void ListTree(PathNode** outputHead, PathNode** outputTail, PathNode* entryList);
void InsertPathIntoTree(PathNode** root, const char16_t* path, uint8_t isFile);
void EmitTreeLevel(const char16_t* parentPath, PathNode** outputHead, PathNode** outputTail,
                   PathNode* firstNode);
