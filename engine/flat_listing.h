#pragma once
// The flat path forms (Absolute, Relative, NameOnly) and the folder scan.

#include "engine/listing_context.h"
#include "engine/path_node.h"

void ListFlat(ListingContext* context, PathNode* entryList);

// Lists the contents on disk of an input folder as far down as the request
// asks, left out what it leaves out.
void ScanInputFolder(ListingContext* context, const char16_t* folderPath);
