#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for the
# given number of seconds (default 600), starting from the seed corpus in
# tests/fuzz/corpus. Finds are kept in build/fuzz/corpus; crashes in
# build/fuzz/crashes. Prints each target's executions.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz >/dev/null || exit 1
status=0
# The targets are those with a seed corpus: a build folder may still hold one
# that is gone from the sources.
for seeds in tests/fuzz/corpus/fuzz_*; do
  name=$(basename "$seeds")
  target="build/fuzz/tests/fuzz/$name"
  work="build/fuzz/corpus/$name"
  mkdir -p "$work" build/fuzz/crashes
  log="build/fuzz/$name.log"
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="build/fuzz/crashes/$name-" \
      "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    echo "$name: ok, $(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)"
  else
    echo "$name: FAILED (see $log)"
    status=1
  fi
done
exit $status
