#pragma once
// Where a job's input paths come from: a drop on the window, or the
// process's command line.

#include <cstdint>

// A drop (Win32: HDROP). Null means no drop.
using DropHandle = void*;

struct JobInputApi {
  uint32_t (*dropCount)(DropHandle drop);
  // In units, terminator not counted.
  uint32_t (*dropPathLength)(DropHandle drop, uint32_t index);
  // Capacity in units, terminator included; returns the units copied.
  uint32_t (*dropPath)(DropHandle drop, uint32_t index, char16_t* buffer, uint32_t capacity);
  void (*releaseDrop)(DropHandle drop);
  // The whole command line, program path included.
  const char16_t* (*commandLine)();
};

// The build's implementation; tests may replace single members.
extern JobInputApi g_jobInput;
