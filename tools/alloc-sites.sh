#!/usr/bin/env bash
# Counts the allocation sites of the engine, worker, settings, window and
# POSIX platform code that the fault-injection sweeps reach. A sweep fails every
# allocation of its jobs in turn, so a site that runs during a sweep is a
# site whose failure was injected and survived. Builds an instrumented
# native build (gcov, no sanitizers) in build/coverage, runs the sweeps and
# prints each allocation site with the number of times it ran.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${DORROWIN_COVERAGE_DIR:-build/coverage}
filter=${1:-'Listing.*:JobTest.ADropIsListedWithTheStatusOfEachPhaseOrFailsCleanly:WindowLogicTest.*:PosixLayer.*:ConsoleTool.EveryAllocationFailingInTurn'}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" --target unit_tests >/dev/null
find "$build" -name '*.gcda' -delete
"$build/tests/unit_tests" --gtest_filter="$filter" >/dev/null

reached=0
total=0
# Calls that allocate: PlatformAlloc, PlatformAllocArray, CopyText and the
# owners' makers and growers (MakeOwned, MakeBlock, Text::Copy, an Array's
# Reserve, Append, AppendUnits); not their own definitions. (The clipboard block is the platform layer's.) A
# line's count is taken from the file's own part of gcov's report, not from
# a header it includes.
while IFS=: read -r file line _; do
  case "$file" in platform/memory.cpp|engine/text.cpp) continue ;; esac
  case "$file" in engine/*|platform/*) objects="$build/CMakeFiles/dorrowin_engine.dir" ;; *) objects="$build/CMakeFiles/dorrowin_core.dir" ;; esac
  count=$(cd "$objects/$(dirname "$file")" &&
          gcov -t "$(basename "$file").gcda" 2>/dev/null |
          awk -F: -v n="$line" -v file="/$file" '
            $2 + 0 == 0 && $3 == "Source" { here = substr($4, length($4) - length(file) + 1) == file }
            here && $2 + 0 == n && !found { gsub(/[ *]/, "", $1); print $1; found = 1 }')
  total=$((total + 1))
  case "$count" in ''|'#####'|'-'|'=====') count=0 ;; esac
  if [ "$count" != 0 ]; then reached=$((reached + 1)); fi
  printf '%8s  %s:%s\n' "$count" "$file" "$line"
done < <(grep -nE 'PlatformAlloc(Array)?\(|CopyText\(|PlatformAllocationAllowed\(\)|Make(Owned|Block)<|Text::Copy\(|\.(Reserve|Append|AppendUnits)\(' \
           engine/*.cpp job/*.cpp settings/*.cpp ui/*.cpp platform/*.cpp platform/posix/*.cpp |
         grep -vE '^[^:]+:[0-9]+:(bool|void\*|char16_t\*) ')
echo "$reached of $total allocation sites reached by the sweeps ($filter)"
