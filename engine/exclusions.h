#pragma once
// The names --exclude leaves out: each entry's name against the globs.

#include "engine/glob.h"
#include "engine/listing_request.h"

struct Exclusions {
  Array<Glob<char16_t>> globs;  // they point into the request, which outlives them
  LastChars lastChars;
};

// How --exclude's globs read: names compare as the style's file systems
// compare them, and '\' escapes only where it is no separator.
uint32_t ExclusionGlobFlags(PathStyle style);

// The request's globs made ready; null when there are none, and when
// storage runs out (*failed set).
Owned<Exclusions> MakeExclusions(const ListingRequest& request, bool* failed);
bool ExcludesName(const Exclusions* exclusions, const char16_t* name, size_t length);
