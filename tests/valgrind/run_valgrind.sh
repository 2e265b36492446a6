#!/usr/bin/env bash
# valgrind over a scripted whole game (pelune_scripted: menu, races, a loss,
# the ending, the bonus level; some 4,600 turns) with SDL's dummy video and
# audio drivers. Any memory error, or memory definitely lost, fails the test.
# Only errors that arise inside the libraries may be suppressed, in
# pelune.supp beside this script, each entry saying which library.
#
#   run_valgrind.sh PELUNE_SCRIPTED SOURCE_DIR
#
# Exit 77 (skipped) without valgrind.
set -euo pipefail

SCRIPTED=$(realpath "$1")
SOURCE_DIR=$(realpath "$2")
HERE=$(dirname "$(realpath "$0")")

if ! command -v valgrind >/dev/null; then
    echo "SKIP: valgrind is not installed (dev.sh test installs it)"
    exit 77
fi

WORK=$(mktemp -d /tmp/pelune-valgrind-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/data"
ln -s "$SOURCE_DIR/data/gfx" "$WORK/data/gfx"
ln -s "$SOURCE_DIR/data/music" "$WORK/data/music"
ln -s "$SOURCE_DIR/ico.bmp" "$WORK/ico.bmp"
cd "$WORK"

status=0
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    valgrind --error-exitcode=1 --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --num-callers=40 \
    --suppressions="$HERE/pelune.supp" "$SCRIPTED" >"$WORK/out" 2>"$WORK/log" || status=$?
tail -n 1 "$WORK/out"
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost' "$WORK/log" || true
if [ "$status" -ne 0 ]; then
    echo "valgrind: exit status $status; its report:"
    cat "$WORK/log"
    exit 1
fi
