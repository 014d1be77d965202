#!/usr/bin/env bash
# Builds the native release build and measures the memory of a listing of a
# million entries (1,000 folders of 999 files, made once in /dev/shm or the
# temporary folder and kept): the process's peak resident memory for each
# path form. Pass --remove to delete the tree afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${DORROWIN_BENCH_DIR:-build/bench}
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target million_entries >/dev/null
status=0
for form in absolute relative name tree; do
  extra=()
  if [ "$form" = tree ] && [ "${1:-}" = "--remove" ]; then extra=(--remove); fi
  "$build/bench/million_entries" --form "$form" "${extra[@]}" || status=1
done
exit $status
