#pragma once
// The listing phase of a job: gathers the input items, sorts them and hands
// them to the flat or tree builder.

#include "engine/path_node.h"

void GatherDroppedItems(PathNode** outputHead, PathNode** outputTail);
void GatherCommandLineItems(PathNode** outputHead, PathNode** outputTail);

// Connects a network folder to a free drive letter, z: downwards. driveName
// (3 units) receives "x:" or the empty text when no letter could be had.
void MapUncToDrive(const char16_t* remoteFolder, char16_t* driveName);
