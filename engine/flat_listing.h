#pragma once
// The flat path forms (Absolute, Relative, NameOnly) and the folder scan.

#include "engine/listing_context.h"
#include "engine/folder_readers.h"
#include "engine/path_node.h"

void ListFlat(ListingContext* context, PathNode* entryList);

// Lists a folder's contents on disk, depth first, files before folders; its
// subfolders are read ahead by the listing's readers. request: the folder's
// own read-ahead request, or null to read it here.
void ScanFolder(ListingContext* context, const char16_t* folderPath, ReadRequest* request);
