#pragma once
// The console tool's command line: GNU-style options, one per listing
// setting, and the paths.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/listing_request.h"
#include "platform/array.h"
#include "platform/console.h"
#include "settings/listing_settings.h"

// The settings and texts the command line gives; the others keep their base
// values (the defaults, or with --saved the saved ones).
struct ConsoleCommand {
  std::optional<PathForm> pathForm;
  std::optional<char16_t> separator;
  std::optional<ItemFilter> itemFilter;
  bool extensionsHidden = false;  // --no-extensions
  bool scanOff = false;           // --no-scan
  int32_t readers = 0;            // --threads; 0 when not given
  int32_t maxDepth = -1;          // --max-depth; -1 when not given
  bool gitIgnore = false;
  bool nullEnds = false;  // --null
  bool saved = false;
  bool copy = false;
  bool paste = false;
  bool utf16 = false;
  bool help = false;
  bool version = false;
  const char16_t* affixes[kAffixCount] = {};  // null when not given
  // The arguments' own texts in their order.
  Array<const char16_t*> excludes;
  Array<const char16_t*> excludeFiles;
  Array<const char16_t*> paths;
};

enum class ConsoleAction { List, Help, Version, UsageError, OutOfMemory };

// A message of bounded size: longer texts are cut, never overrun.
struct ConsoleMessage {
  char16_t text[512];
  size_t length;
};

// The system's words for an error code, as a piece of a message.
struct SystemReason {
  explicit SystemReason(int32_t error) { DescribeSystemError(error, text, sizeof(text) / sizeof(text[0])); }
  char16_t text[256];
};

struct ConsoleOption;
// An option's value as its reader gets it: null for an option without one.
struct OptionValue {
  const ConsoleOption& option;
  const char16_t* text;
  ConsoleCommand& command;
  ConsoleMessage& message;
};

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

// Reads the arguments (the program's name not among them) into a fresh
// command; windowsOptions: whether the Windows-only options exist. A
// UsageError leaves its one-line reason in message.
ConsoleAction ParseConsoleArguments(int32_t count, const char16_t* const* args, bool windowsOptions,
                                    ConsoleCommand& command, ConsoleMessage& message);

// Adds the --exclude globs and those of the --exclude-from files to the
// request: one a line (a CR before the line's end dropped), empty lines and
// lines starting with '#' skipped. An unreadable file, or a glob not well
// formed, is a UsageError.
ConsoleAction AddConsoleExclusions(const ConsoleCommand& command, ListingRequest* request, ConsoleMessage& message);

// The command's settings over the base ones.
void ApplyConsoleCommand(const ConsoleCommand& command, ListingSettings* settings);
