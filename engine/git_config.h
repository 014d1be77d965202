#pragma once
// What git's user configuration says of ignored files: core.excludesFile.

#include <cstddef>

#include "engine/path_rules.h"
#include "platform/owned.h"

// The bytes of the user's excludes file (none when there is none):
// core.excludesFile as the user's config files set it
// ($XDG_CONFIG_HOME/git/config or ~/.config/git/config, then ~/.gitconfig,
// the last value winning), else $XDG_CONFIG_HOME/git/ignore, else
// ~/.config/git/ignore. The home folder is $HOME, on Windows %USERPROFILE%
// where HOME is not set. False when storage runs out.
bool ReadUserExcludes(PathStyle style, OwnedBlock<char>* bytes, size_t* size);
