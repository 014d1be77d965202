// No network provider on POSIX: no drive letter can ever be connected, as
// under Wine, so the engine reaches network folders by their own path.

#include "platform/network.h"

namespace {
bool PosixConnectDrive(const char16_t*, const char16_t*) { return false; }
void PosixCancelDrive(const char16_t*) {}
}  // namespace

NetworkApi g_network{PosixConnectDrive, PosixCancelDrive};
