#pragma once
// The process's environment: where the user keeps git's settings.

// The process's environment variables.
struct EnvironmentApi {
  // A copy of the variable's value (PlatformAlloc'd, NUL-terminated); null
  // when it is unset or empty, and when storage runs out (*failed set).
  char16_t* (*variable)(const char16_t* name, bool* failed);
};

// The build's implementation; tests may replace it.
extern EnvironmentApi g_environment;
