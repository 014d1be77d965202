#!/usr/bin/env bash
# Builds the native release build and measures the memory of a listing of a
# million entries (1,000 folders of 999 files, made once in /dev/shm or the
# temporary folder and kept): the process's peak resident memory for each
# path form, first of the window's pipeline (the clipboard's text in full),
# then of dorrowin-list, which streams its output and is held to 30 MB
# whatever the output's size, with the engine's readers and with 16 reading
# the whole tree ahead. Pass --remove to delete the tree afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${DORROWIN_BENCH_DIR:-build/bench}
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target million_entries dorrowin-list >/dev/null
status=0
for form in absolute relative name tree; do
  "$build/bench/million_entries" --form "$form" || status=1
done
# The tree million_entries made and kept.
if [ -d /dev/shm ]; then base=/dev/shm; else base=${TMPDIR:-/tmp}; fi
tree=$base/dorrowin-million/tree
python3 - "$build/dorrowin-list" "$tree" <<'PY' || status=1
import os, resource, subprocess, sys
tool, tree = sys.argv[1], sys.argv[2]
failed = False
for readers in ([], ["-j", "16"]):
    for form in ("absolute", "relative", "name", "tree"):
        counter = subprocess.Popen([tool, "-f", form, *readers, tree], stdout=subprocess.PIPE)
        lines = sum(chunk.count(b"\n") for chunk in iter(lambda: counter.stdout.read(1 << 20), b""))
        _, status, usage = os.wait4(counter.pid, 0)
        peak = usage.ru_maxrss / 1024
        ok = status == 0 and lines == 1000 * 1000 + 1 and peak <= 30
        failed |= not ok
        print(f"dorrowin-list -f {form:<8} {' '.join(readers):<5}: {lines} lines, peak resident memory {peak:.1f} MiB"
              f" ({'within' if ok else 'NOT within'} 30 MiB)")
sys.exit(1 if failed else 0)
PY
if [ "${1:-}" = "--remove" ]; then rm -rf "$base/dorrowin-million"; fi
exit $status
