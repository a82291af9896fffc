#!/usr/bin/env bash
# Builds and runs the benchmarks (an optimised build without windows). Not part of the tests.
#   scripts/bench.sh [--runs N]
# The generated package is cached in build/bench-cache (about 600 MB while it is made).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_BUILD_UI=OFF >/dev/null
cmake --build build/bench -j 2 --target update_bench
exec build/bench/bench/update_bench --cache build/bench-cache "$@"
