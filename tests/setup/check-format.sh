#!/usr/bin/env bash
# Every C++ file git tracks is laid out as the project's .clang-format says.
# Usage: check-format.sh SOURCE_DIR
set -euo pipefail
cd "$1"
[ -e .git ] || { echo "not a git checkout: nothing to check"; exit 0; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
