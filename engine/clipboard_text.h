#pragma once
// Joins the output lines into the clipboard text and places it on the
// clipboard. Consumes the output list whatever the outcome.

#include "engine/path_node.h"

void CopyListToClipboard(PathNode** outputHead, PathNode** outputTail);
