#include <windows.h>

#include <shellapi.h>

#include "platform/job_input.h"

// Asking with no buffer gives a path's length, so none is ever cut at MAX_PATH.
JobInputApi g_jobInput{
    .dropCount = [](DropHandle drop) { return DragQueryFileW(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0); },
    .dropPathLength = [](DropHandle drop, uint32_t index) {
      return DragQueryFileW(static_cast<HDROP>(drop), index, nullptr, 0);
    },
    .dropPath = [](DropHandle drop, uint32_t index, char16_t* buffer, uint32_t capacity) {
      return DragQueryFileW(static_cast<HDROP>(drop), index, reinterpret_cast<wchar_t*>(buffer), capacity);
    },
    .releaseDrop = [](DropHandle drop) { DragFinish(static_cast<HDROP>(drop)); },
    .commandLine = [] { return reinterpret_cast<const char16_t*>(GetCommandLineW()); },
};
