#pragma once
// The POSIX layer's per-user store lives in the process.

#include <cstdint>

// Keys opened and not yet closed, for leak checks.
int32_t LivePosixStoreKeys();
