#pragma once
// dorrowin-list: lists paths as the window lists a drop of them.

#include <cstdint>

// Exit statuses: 0 listed, 1 listed with problems or failed, 2 a usage
// error, 130 interrupted by Ctrl+C.
int RunConsoleTool(int32_t count, const char16_t* const* args);
