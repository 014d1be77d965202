#pragma once
// The Tree path form.

#include "engine/listing_context.h"
#include "engine/path_node.h"

void ListTree(ListingContext* context, PathNode* entryList);
