#pragma once
// Output lines and the tree indent.

#include <cstdint>

#include "engine/listing_context.h"

// Hands the item's line to the listing's sink (indent, affixes, the path
// form's part of path, the separator applied). path may be shortened in
// place when extensions are hidden.
void AppendOutputLine(ListingContext* context, char16_t* path, int32_t length, bool isFile);

// Cuts the last component's extension in place; returns the units removed.
int32_t StripExtension(char16_t* path, int32_t from, char16_t separator);

// Index of the first unit of the path's last component, at or after from.
int32_t NameStart(const char16_t* path, int32_t from, char16_t separator);

void MarkLastSibling(ListingContext* context);
void PushIndent(ListingContext* context);
void PopIndent(ListingContext* context);
