#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Non-blank, non-comment lines of the game and its tools against those of the
# tests, over the files git tracks. The code is the C++ files (.cpp, .h) under
# src/ and tools/; the tests are every file under tests/, scripts and CMake
# included, the golden frames (pictures) left out. C++ files are counted without blank and // lines, every other file
# without blank and # lines. Only reports.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 0

count() {  # count PATH...: the lines of the tracked files under the paths (or pathspecs)
    local total=0 n file
    while IFS= read -r file; do
        case "$file" in
        *.cpp | *.h) n=$(grep -c -v -E '^\s*(//.*)?$' "$file") ;;
        *) n=$(grep -c -v -E '^\s*(#.*)?$' "$file") ;;
        esac
        total=$((total + n))
    done < <(git ls-files -- "$@")
    echo "$total"
}

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "not a git checkout: no line count"
    exit 0
fi
code=$(count 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h')
tests=$(count tests ':!tests/golden/*.png')
awk -v c="$code" -v t="$tests" \
    'BEGIN { printf "C++ in src + tools: %d lines; tests: %d lines; tests / code: %.3f\n", c, t, t / c }'
