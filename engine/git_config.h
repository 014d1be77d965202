#pragma once
// What git's user configuration says of ignored files: core.excludesFile.

#include <cstddef>

#include "engine/path_rules.h"
#include "platform/owned.h"

// The bytes of the user's excludes file (none when there is none): as
// core.excludesFile sets it in $XDG_CONFIG_HOME/git/config (or
// ~/.config/git/config) then ~/.gitconfig, the last winning, else
// $XDG_CONFIG_HOME/git/ignore (or ~/.config/git/ignore). Home is $HOME, on
// Windows %USERPROFILE% without it. False when storage runs out.
bool ReadUserExcludes(PathStyle style, OwnedBlock<char>* bytes, size_t* size);
