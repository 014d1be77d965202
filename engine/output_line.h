#pragma once
// Output lines and the tree indent.

#include <cstdint>

#include "engine/path_node.h"

// Appends the item's line (indent, affixes, the path form's part of path).
// path may be shortened in place when extensions are hidden.
void AppendOutputLine(PathNode** headSlot, PathNode** tailSlot, char16_t* path, int32_t length,
                      bool isFile);

// Cuts the last component's extension in place; returns the units removed.
int32_t StripExtension(char16_t* path);

// Index of the first unit of the path's last component.
int32_t NameStart(const char16_t* path);

void MarkLastSibling();
void PushIndent();
void PopIndent();

// Empties the indent and releases its storage (start and end of a job).
void ReleaseTreeIndent();
