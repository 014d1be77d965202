#pragma once
// The console tool's options: GNU-style, one per listing setting.

#include <span>

enum class ConsoleAction { List, Help, Version, UsageError, OutOfMemory };

struct OptionValue;
// One option: its names, how its value is read, and its lines in --help.
struct ConsoleOption {
  const char16_t* name;
  char16_t shortName;          // 0: none
  const char16_t* valueName;   // null: the option takes no value
  const char16_t* help;        // each '\n' starts a further line
  // Takes the value into the command: List, a UsageError (the reason in the
  // message) or OutOfMemory.
  ConsoleAction (*read)(const OptionValue& value);
  bool windowsOnly = false;  // --saved, --paste and --copy
};
// In the order --help shows them.
extern const std::span<const ConsoleOption> kConsoleOptions;
