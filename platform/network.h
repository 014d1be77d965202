#pragma once
// Temporary drive-letter connections for network folders.

struct NetworkApi {
  // Connects driveName ("z:") to the network folder; true on success.
  bool (*connectDrive)(const char16_t* remoteFolder, const char16_t* driveName);
  // Removes the connection again, even with files open.
  void (*cancelDrive)(const char16_t* driveName);
};

// The build's implementation; tests may replace single members.
extern NetworkApi g_network;
