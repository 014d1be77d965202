#pragma once
// The names --exclude leaves out: each entry's name against the globs.

#include <cstddef>
#include <cstdint>

#include "engine/listing_request.h"

struct Exclusions;

// How --exclude's globs read for paths of the style: names compare as the
// style's file systems compare them (exactly on POSIX, letters in either
// case on Windows), and '\' escapes only where it is no separator.
uint32_t ExclusionGlobFlags(PathStyle style);

// The request's globs made ready (they point into the request, which
// outlives them); null when there are none, and when storage runs out
// (*failed set).
Exclusions* MakeExclusions(const ListingRequest& request, bool* failed);
bool ExcludesName(const Exclusions* exclusions, const char16_t* name, size_t length);
void FreeExclusions(Exclusions* exclusions);
