#pragma once
// Temporary drive letters for network folders.

// Connects a network folder to a free drive letter, z: downwards. driveName
// (3 units) receives "x:" or the empty text when no letter could be had;
// the caller cancels a connection made with g_network.cancelDrive.
void MapUncToDrive(const char16_t* remoteFolder, char16_t* driveName);
