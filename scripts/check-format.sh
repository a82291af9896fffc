#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted with the repository's .clang-format.
# Run with --fix to format them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
# New files count too, before they are added.
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
else
    clang-format --dry-run -Werror "${files[@]}"
fi
