#pragma once
// Writing into a ListingText: lines go straight into its chunks.

#include <cstddef>

#include "engine/listing.h"

// Starts a line: CR LF unless it is the first. False when storage runs out.
bool StartLine(ListingText* text);

// Appends count units; a backslash becomes separator. False when storage
// runs out (what was written stays; the listing is failing anyway).
bool AppendUnits(ListingText* text, const char16_t* units, size_t count, char16_t separator);
