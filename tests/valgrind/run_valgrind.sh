#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# valgrind over the real pelune with SDL's dummy video and audio drivers: its
# start-up, a few hundred turns of the title menu, and the shut-down that
# SIGTERM starts (SDL turns the signal into a quit event: the loop ends and
# Game_Stop runs, as with the window's close button). Any memory error, memory
# definitely lost, or a game that does not quit with status 0 fails the test.
# Only errors that arise inside the libraries may be suppressed, in
# pelune.supp beside this script, each entry saying which library and why.
#
#   run_valgrind.sh PELUNE SOURCE_DIR
#
# Exit 77 (skipped) without valgrind.
set -euo pipefail

PELUNE=$(realpath "$1")
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

SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 600 \
    valgrind --error-exitcode=1 --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --num-callers=40 \
    --suppressions="$HERE/pelune.supp" "$PELUNE" >"$WORK/out" 2>"$WORK/log" &
game=$!
# Loaded once the last start-up line is out; then some seconds of the menu at
# up to 60 turns a second (valgrind slows it down).
for _ in $(seq 1200); do grep -q "Loading music...OK" "$WORK/out" && break; sleep 0.1; done
sleep 8
kill -TERM "$game"  # timeout passes it on
status=0
wait "$game" || status=$?
tail -n 1 "$WORK/out"
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost' "$WORK/log" || true
if [ "$status" -ne 0 ]; then
    echo "valgrind: exit status $status (0: a clean quit, no error); its report:"
    cat "$WORK/log"
    exit 1
fi
