#pragma once
// The console tool's command line: GNU-style options, one per listing
// setting, and the paths.

#include <cstddef>
#include <cstdint>

#include "engine/listing_request.h"
#include "settings/listing_settings.h"

struct ConsoleCommand {
  // The settings the command line gives; the others keep their base values
  // (the defaults, or with --saved the saved ones).
  bool pathFormGiven;
  PathForm pathForm;
  bool separatorGiven;
  char16_t separator;
  bool itemFilterGiven;
  ItemFilter itemFilter;
  bool extensionsHidden;  // --no-extensions
  bool scanOff;           // --no-scan
  int32_t readers;        // --threads: folders read at once; 0 when not given
  int32_t maxDepth;       // --max-depth: levels scanned; -1 when not given
  bool gitIgnore;         // --gitignore
  bool nullEnds;          // --null: lines end with NUL
  // The --exclude globs and --exclude-from files, the arguments' own texts
  // in their order; PlatformAlloc'd.
  const char16_t** excludes;
  int32_t excludeCount;
  const char16_t** excludeFiles;
  int32_t excludeFileCount;
  const char16_t* affixes[kAffixCount];  // the arguments' own texts; null when not given
  bool saved;
  bool copy;
  bool utf16;
  // The path arguments in their order; PlatformAlloc'd.
  const char16_t** paths;
  int32_t pathCount;
};

enum class ConsoleAction { List, Help, Version, UsageError, OutOfMemory };

// A message of bounded size: longer texts are cut, never overrun.
struct ConsoleMessage {
  char16_t text[512];
  size_t length;
};
void AppendMessage(ConsoleMessage* message, const char16_t* text);

// Reads the arguments (the program's name not among them). windowsOptions:
// whether --saved and --copy exist. A UsageError leaves its one-line
// reason in *message.
ConsoleAction ParseConsoleArguments(int32_t count, const char16_t* const* args, bool windowsOptions,
                                    ConsoleCommand* command, ConsoleMessage* message);
void FreeConsoleCommand(ConsoleCommand* command);

// Adds the command's --exclude globs and the globs of its --exclude-from
// files to the request: one a line (a CR before the line's end dropped),
// empty lines and lines starting with '#' skipped. A file that cannot be
// read, or holds a glob that is not well formed, is a UsageError (the
// reason in *message).
ConsoleAction AddConsoleExclusions(const ConsoleCommand& command, ListingRequest* request, ConsoleMessage* message);

// The command's settings over the base ones.
void ApplyConsoleCommand(const ConsoleCommand& command, ListingSettings* settings);
