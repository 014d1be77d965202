#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's settings: a prefix of
# the build's own (WINEPREFIX, default build/windows/wineprefix), no debug
# output, and the Japanese locale so that the ANSI code page is 932.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/windows/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
exec wine "$@"
