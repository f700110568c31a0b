#!/usr/bin/env bash
# Formats every C++ file of the repository; with --check, changes nothing and fails on any file
# that is not formatted.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh" format
cd "$root"
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "format check: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
