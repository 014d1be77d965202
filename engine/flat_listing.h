#pragma once
// The flat path forms (Absolute, Relative, NameOnly) and the folder scan.

#include "engine/path_node.h"

void ListFlat(PathNode* entryList, PathNode** outputHead, PathNode** outputTail);

// Lists a folder's contents on disk, depth first, files before folders.
void ScanFolder(const char16_t* folderPath, PathNode** outputHead, PathNode** outputTail);
