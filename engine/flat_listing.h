#pragma once
// The flat path forms (Absolute, Relative, NameOnly) and the folder scan.

#include "engine/listing_context.h"
#include "engine/folder_readers.h"
#include "engine/path_node.h"

void ListFlat(ListingContext* context, PathNode* entryList);

// Lists the contents on disk of an input folder as far down as the request
// asks, left out what it leaves out.
void ScanInputFolder(ListingContext* context, const char16_t* folderPath);

// Lists a folder's contents on disk, depth first, files before folders; its
// subfolders are read ahead by the listing's readers. request: the folder's
// own read-ahead request, or null to read it here; depth: the folder's
// levels below the input folder; rules: those of its parent (null outside a
// working tree).
void ScanFolder(ListingContext* context, const char16_t* folderPath, ReadRequest* request, int32_t depth,
                const Shared<IgnoreRules>& rules);
