#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program under an X server of its own (Xvfb, 1920x1080, the size of
# a common desktop): how soon a key is acted on after a burst of mouse motion,
# and the CPU share while idle on the menu at the default scale beside 1x.
# Key-downs and flips are timed by a probe preloaded into the game
# (libpelune_input_probe.so); the game itself is unchanged.
#
#   bench/measure_input.sh PELUNE_BINARY PROBE_SO SOURCE_DIR [RUNS]
#
# Target: the key after 300 mouse moves is acted on within 2 turns.
set -euo pipefail

GAME_BINARY=$(realpath "$1")
PROBE=$(realpath "$2")
SOURCE_DIR=$(realpath "$3")
RUNS=${4:-5}
MOVES=300

for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

WORK=$(mktemp -d /tmp/pelune-input-XXXXXX)
XVFB_PID=""
GAME_PID=""
cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

. "$(dirname "$0")/xvfb_game.sh"
copy_game "$GAME_BINARY" "$SOURCE_DIR" "$WORK/game"
start_xvfb "$WORK"
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SDL_VIDEODRIVER
TICKS=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

start_game() {  # start_game LOG [OPTIONS...]: sets GAME_PID and WINDOW
    local log=$1
    shift
    (cd "$WORK/game" && exec env LD_PRELOAD="$PROBE" PELUNE_INPUT_LOG="$log" ./pelune "$@" \
        >/dev/null 2>"$WORK/err") &
    GAME_PID=$!
    WINDOW=""
    for _ in $(seq 100); do
        WINDOW=$(xdotool search --name '^Pelune$' 2>/dev/null | head -n1 || true)
        [ -n "$WINDOW" ] && break
        sleep 0.1
    done
    [ -n "$WINDOW" ] || { echo "no window within 10 s: $(cat "$WORK/err")" >&2; exit 1; }
    xdotool windowfocus "$WINDOW"
    sleep 1
}

stop_game() {
    xdotool keydown Escape
    sleep 0.1
    xdotool keyup Escape
    wait "$GAME_PID" || true
    GAME_PID=""
}

summary() {  # summary VALUES...: min/median/max
    sort -g <<<"$(printf '%s\n' "$@")" | awk '{ v[NR] = $1 }
        END { printf "min %s, median %s, max %s", v[1], v[int((NR + 1) / 2)], v[NR] }'
}

# ---- A key after a burst of mouse motion ----
# The moves go out in one xdotool call (some 0.1 s); Down follows at once.
moves=()
for i in $(seq "$MOVES"); do moves+=(mousemove --window WINDOW $((20 + i % 400)) $((20 + i % 200))); done
turns=()
lost=0
for run in $(seq "$RUNS"); do
    log=$WORK/burst$run
    start_game "$log" --scale 1
    xdotool "${moves[@]/#WINDOW/$WINDOW}"
    before=$(date +%s%N)
    xdotool keydown Down  # returns once the X server has the key
    sent=$(date +%s%N)
    sleep 3  # the old loop took seconds to reach the key
    xdotool keyup Down
    stop_game
    # Turns from the key reaching the X server to the turn that polled it, that
    # one included (xdotool's own start-up is left out).
    count=$(awk -v before="$before" -v sent="$sent" '
        $1 == "flip" && $2 > sent && !found { flips += 1 }
        $1 == "key" && $2 > before && $3 == 274 && !found { found = 1 }
        END { print found ? flips + 1 : "lost" }' "$log")
    if [ "$count" = lost ]; then
        lost=$((lost + 1))
    else
        turns+=("$count")
    fi
done
if [ "${#turns[@]}" -gt 0 ]; then
    echo "Down after $MOVES mouse moves, acted on in turn: $(summary "${turns[@]}") (target: 2 at most)" \
         "over $RUNS runs; lost $lost"
else
    echo "Down after $MOVES mouse moves: lost in all $RUNS runs"
fi

# ---- Idle on the menu: the default scale beside 1x ----
for scale in default 1; do
    game=()
    server=()
    for run in $(seq "$RUNS"); do
        if [ "$scale" = default ]; then start_game /dev/null; else start_game /dev/null --scale 1; fi
        size=$(xwininfo -id "$WINDOW" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
        g0=$(cpu_ticks "$GAME_PID")
        x0=$(cpu_ticks "$XVFB_PID")
        sleep 5
        g1=$(cpu_ticks "$GAME_PID")
        x1=$(cpu_ticks "$XVFB_PID")
        stop_game
        game+=("$(awk -v t=$((g1 - g0)) -v hz="$TICKS" 'BEGIN { printf "%.1f", 100 * t / hz / 5 }')")
        server+=("$(awk -v t=$((x1 - x0)) -v hz="$TICKS" 'BEGIN { printf "%.1f", 100 * t / hz / 5 }')")
    done
    echo "idle on the menu, scale $scale ($size), % of one core over 5 s: the game $(summary "${game[@]}");" \
         "the X server $(summary "${server[@]}")"
done
