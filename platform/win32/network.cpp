#include <windows.h>

#include <winnetwk.h>

#include "platform/network.h"

namespace {

// Not remembered, no user name or password: the current user's credentials.
bool Win32ConnectDrive(const char16_t* remoteFolder, const char16_t* driveName) {
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpLocalName = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(driveName));
  resource.lpRemoteName = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(remoteFolder));
  resource.lpProvider = const_cast<wchar_t*>(L"");
  return WNetAddConnection2W(&resource, nullptr, nullptr, 0) == NO_ERROR;
}

// Flags 0 leaves the user's profile alone; force removes it with files open.
void Win32CancelDrive(const char16_t* driveName) {
  WNetCancelConnection2W(reinterpret_cast<const wchar_t*>(driveName), 0, TRUE);
}

}  // namespace

NetworkApi g_network{Win32ConnectDrive, Win32CancelDrive};
