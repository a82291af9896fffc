#!/usr/bin/env bash
# Builds the launcher and runs it against the bundled management server (the README's first
# command). With a display you log in yourself; without one it runs on a private Xvfb display,
# logs in by itself and saves screenshots of each stage (see build/main/demo/screenshots).
# Options: --headless (a private display even when there is one), --rate <bytes/s> (package
# download speed; 0 for no limit).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/main -G Ninja >/dev/null
cmake --build build/main -j "$(nproc)" --target Brannoc vorn_demo
exec python3 tools/demo/run_demo.py --build build/main "$@"
