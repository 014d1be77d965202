#pragma once
// Output lines and the tree indent.

#include <cstdint>

#include "engine/listing_context.h"

// The item's line, when the request admits its kind; the last item of a
// level (isLast) gets the last branch in the Tree form's indent. path may be
// shortened in place when extensions are hidden.
void ListItem(ListingContext* context, char16_t* path, int32_t length, bool isFile, bool isLast);

void PushIndent(ListingContext* context);
void PopIndent(ListingContext* context);
