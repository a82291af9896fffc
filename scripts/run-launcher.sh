#!/usr/bin/env bash
# Builds the launcher and starts it. The README's first command.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/main -G Ninja >/dev/null
cmake --build build/main -j "$(nproc)"
if [ ! -x build/main/Brannoc ]; then
    echo "The launcher executable is not part of the build yet; the core libraries were built." >&2
    exit 0
fi
exec build/main/Brannoc "$@"
