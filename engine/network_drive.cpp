#include "engine/network_drive.h"

#include "platform/network.h"

void MapUncToDrive(const char16_t* remoteFolder, char16_t* driveName) {
  for (char16_t letter = u'z'; letter >= u'a'; --letter) {
    driveName[0] = letter;
    driveName[1] = u':';
    driveName[2] = 0;
    if (g_network.connectDrive(remoteFolder, driveName)) return;
  }
  driveName[0] = 0;
}
