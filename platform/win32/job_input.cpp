#include <windows.h>

#include <shellapi.h>

#include "platform/job_input.h"

namespace {

HDROP Drop(DropHandle drop) { return static_cast<HDROP>(drop); }

uint32_t Win32DropCount(DropHandle drop) { return DragQueryFileW(Drop(drop), 0xFFFFFFFF, nullptr, 0); }

// Asking with no buffer gives the length, so no path is ever cut at MAX_PATH.
uint32_t Win32DropPathLength(DropHandle drop, uint32_t index) {
  return DragQueryFileW(Drop(drop), index, nullptr, 0);
}

uint32_t Win32DropPath(DropHandle drop, uint32_t index, char16_t* buffer, uint32_t capacity) {
  return DragQueryFileW(Drop(drop), index, reinterpret_cast<wchar_t*>(buffer), capacity);
}

void Win32ReleaseDrop(DropHandle drop) { DragFinish(Drop(drop)); }

const char16_t* Win32CommandLine() { return reinterpret_cast<const char16_t*>(GetCommandLineW()); }

}  // namespace

JobInputApi g_jobInput{Win32DropCount, Win32DropPathLength, Win32DropPath, Win32ReleaseDrop,
                       Win32CommandLine};
