#pragma once
// The names --exclude leaves out: each entry's name against the globs.

#include <cstddef>
#include <cstdint>

#include "engine/glob.h"
#include "engine/listing_request.h"
#include "platform/array.h"
#include "platform/owned.h"

struct Exclusions {
  Array<Glob<char16_t>> globs;  // they point into the request, which outlives them
  LastChars lastChars;
};

// How --exclude's globs read for the style's paths: names compare as its
// file systems compare them (exactly on POSIX, letters in either case on
// Windows), and '\' escapes only where it is no separator.
uint32_t ExclusionGlobFlags(PathStyle style);

// The request's globs made ready; null when there are none, and when
// storage runs out (*failed set).
Owned<Exclusions> MakeExclusions(const ListingRequest& request, bool* failed);
bool ExcludesName(const Exclusions* exclusions, const char16_t* name, size_t length);
