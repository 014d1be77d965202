#pragma once
// Output lines and the tree indent.

#include "engine/listing_context.h"

// The item's line, when the request admits its kind; isLast: the last of
// its level. path may be cut in place when extensions are hidden.
void ListItem(ListingContext* context, char16_t* path, int32_t length, bool isFile, bool isLast);

void PushIndent(ListingContext* context);
void PopIndent(ListingContext* context);
