#pragma once
// What git's user configuration says of ignored files: core.excludesFile.

#include <cstddef>

#include "engine/path_rules.h"
#include "platform/owned.h"

// The last value of core.excludesFile in a git config file's bytes,
// unquoted and unescaped in place at bytes[*start..+*length); false when
// it sets none. A simple reader: [section] headers (one with a subsection
// is another section), "key = value" lines (also after a header), '#' and
// ';' comments, double quotes and backslash escapes in values.
bool ExcludesFileSetting(char* bytes, size_t size, size_t* start, size_t* length);

// The bytes of the user's excludes file (none when there is none):
// core.excludesFile as the user's config files set it
// ($XDG_CONFIG_HOME/git/config or ~/.config/git/config, then ~/.gitconfig,
// the last value winning), else $XDG_CONFIG_HOME/git/ignore, else
// ~/.config/git/ignore. The home folder is $HOME, on Windows %USERPROFILE%
// where HOME is not set. False when storage runs out.
bool ReadUserExcludes(PathStyle style, OwnedBlock<char>* bytes, size_t* size);
