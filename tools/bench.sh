#!/usr/bin/env bash
# Builds the native release build and runs the listing benchmark: one folder
# of 100,000 files created in random order, listed as a drop lists it, and a
# drop of 20,000 of its files given one by one in random order.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench --target listing_bench
./build/bench/bench/listing_bench "$@"
