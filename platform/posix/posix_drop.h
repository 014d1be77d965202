#pragma once
// Drops for the POSIX layer, where no window receives real ones: a list of
// paths that tests build and the engine releases like a Win32 drop.

#include <cstdint>

#include "platform/job_input.h"

// Copies the paths; null when memory runs out.
DropHandle MakePosixDrop(const char16_t* const* paths, uint32_t count);
// Drops made and not yet released, for leak checks.
int32_t LivePosixDrops();
