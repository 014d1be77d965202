#pragma once
// The request a listing job reads, built the same way for the window and
// for the console tool.

#include "engine/listing_request.h"
#include "platform/job_input.h"
#include "settings/listing_settings.h"

// The request of these settings (the Tree form's FilesOnly corrected in
// *settings, where it stays), the path style and the four texts (null:
// empty); the caller adds the paths. False when storage runs out.
bool MakeJobRequest(ListingSettings* settings, PathStyle style, const char16_t* const texts[kAffixCount],
                    ListingRequest* request);

// Adds a drop's paths to the request in the drop's order (the drop stays
// the caller's); false when storage runs out.
bool AddDropPaths(DropHandle drop, ListingRequest* request);
