#!/usr/bin/env bash
# Builds the native release build of dorrowin-list (and, with --windows, the
# Windows build and the reference walker) and compares it with find | sort -V
# and tree on Linux, and with a bare FindFirstFileExW walk and dir /s /b
# under Wine. Prints the table and the ratios; exits 1 when a target is missed.
#
#   bash tools/compare.sh [--windows] [--runs N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench --target dorrowin-list >/dev/null
command -v tree >/dev/null || echo "compare: tree is not installed (bash tools/install-deps.sh); its row is left out" >&2
if ! command -v fdfind >/dev/null && ! command -v fd >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends fd-find >/dev/null ||
    echo "compare: fd-find could not be installed; its row is left out" >&2
fi
if [ "${1:-}" = "--windows" ]; then
  shift
  [ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
  cmake --build build/windows --target dorrowin-list find_walker >/dev/null
  export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
  wineserver -p 2>/dev/null || true
  exec python3 tools/compare.py build/bench/dorrowin-list build/windows/dorrowin-list.exe build/windows/bench/find_walker.exe "$@"
fi
exec python3 tools/compare.py build/bench/dorrowin-list "$@"
