#!/usr/bin/env bash
# Builds everything and runs every test. The README's test command; CI runs it too.
#   1. the core (no windows) with AddressSanitizer + UndefinedBehaviorSanitizer: unit, integration
#   2. the core with ThreadSanitizer: unit, integration
#   3. the full program: every test, windows and end-to-end included (under Xvfb)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh

jobs=$(nproc)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

configure() {  # <build dir> <cmake options...>
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DLAUNCHER_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

configure build/asan -DLAUNCHER_BUILD_UI=OFF -DLAUNCHER_SANITIZE=address
ctest --test-dir build/asan -L 'unit|integration' -j "$jobs" --output-on-failure

configure build/tsan -DLAUNCHER_BUILD_UI=OFF -DLAUNCHER_SANITIZE=thread
ctest --test-dir build/tsan -L 'unit|integration' -j "$jobs" --output-on-failure

configure build/main
ctest --test-dir build/main -j "$jobs" --output-on-failure
