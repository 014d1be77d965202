#pragma once
// The process's environment: where the user keeps git's settings.

struct EnvironmentApi {
  // A copy of the value (PlatformAlloc'd, NUL-terminated); null when unset or
  // empty, and when storage runs out (*failed set).
  char16_t* (*variable)(const char16_t* name, bool* failed);
};

// The build's implementation; tests may replace it.
extern EnvironmentApi g_environment;
