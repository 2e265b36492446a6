#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real game beside the floor (bench/floor.cpp: the same window, one
# full-screen picture flipped at 60 Hz, nothing else), under one X server of
# their own (Xvfb), one after the other, RUNS times each. Each run: start-up to
# the first flipped frame, then 10 s idle on the menu for the CPU share, the
# turns per second, the gaps between turns and the flips per second (the game
# does not present a turn that draws the picture already shown), then the peak
# resident memory. Turns and flips are timed by a probe preloaded into both
# (libpelune_flip_probe.so); neither program is changed for it. Prints min/median/max of every figure, the ratio of
# the medians, and each target with its margin.
#
#   bench/measure_run.sh [GAME_BINARY [DATA_DIR [RUNS]]]
#     GAME_BINARY  default build/pelune
#     DATA_DIR     where data/ and ico.bmp are; default the source tree
#     RUNS         default 5
#   PELUNE_BUILD (environment): the build folder with bench/pelune_floor and
#   bench/libpelune_flip_probe.so; default build.
# Settings such as SDL_RENDER_DRIVER or SDL12COMPAT_WINDOW_SCALING exported by
# hand reach both programs; PELUNE_XVFB_SIZE (default 1920x1080) sizes the screen.
set -euo pipefail

SOURCE_DIR=$(realpath "$(dirname "$0")/..")
GAME_BINARY=$(realpath "${1:-$SOURCE_DIR/build/pelune}")
DATA_DIR=$(realpath "${2:-$SOURCE_DIR}")
RUNS=${3:-5}
BUILD_DIR=$(realpath "${PELUNE_BUILD:-$SOURCE_DIR/build}")
FLOOR=$BUILD_DIR/bench/pelune_floor
PROBE=$BUILD_DIR/bench/libpelune_flip_probe.so
IDLE_S=10

for file in "$GAME_BINARY" "$FLOOR" "$PROBE"; do
    [ -e "$file" ] || { echo "missing $file (build the pelune, pelune_floor and pelune_flip_probe targets)" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "needs Xvfb" >&2; exit 2; }

WORK=$(mktemp -d /tmp/pelune-measure-XXXXXX)
XVFB_PID=""
cleanup() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# The game runs from a folder of its own, so its unlock file stays there.
. "$SOURCE_DIR/bench/xvfb_game.sh"
copy_game "$GAME_BINARY" "$DATA_DIR" "$WORK/game"
mkdir -p "$WORK/floor"
cp "$FLOOR" "$WORK/floor/pelune_floor"
start_xvfb "$WORK"
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SDL_VIDEODRIVER
# Both at the same window scale: 1 unless exported by hand (the game's own
# default would fit the 1920x1080 screen at 3x, the floor knows no scaling).
export SDL12COMPAT_WINDOW_SCALING=${SDL12COMPAT_WINDOW_SCALING:-1}
# Scaled crisply by both (the library's default filter costs twice as much).
export SDL12COMPAT_SCALE_METHOD=${SDL12COMPAT_SCALE_METHOD:-nearest}
TICKS=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks
    awk '{print $14 + $15}' "/proc/$1/stat"
}

# One run of one program: prints start-up (ms), peak RSS (MB), its CPU and the
# X server's while idle (% of a core), turns/s, worst and 99th-percentile gap
# (ms), the share of gaps within 16.7 +/- 2 ms (%), and the CPU time all its
# threads used up to the first flip (ms), which a busy machine inflates less
# than the wall-clock start-up.
measure() {  # NAME FOLDER COMMAND
    local name=$1 folder=$2 command=$3 log=$WORK/flips_$1 pid before
    rm -f "$log"
    before=$(date +%s%N)
    (cd "$folder" && exec env LD_PRELOAD="$PROBE" PELUNE_FLIP_LOG="$log" "$command" \
        >/dev/null 2>"$WORK/stderr_$name") &
    pid=$!
    sleep 2
    local cpu0 x0 cpu1 x1 rss
    cpu0=$(cpu_ticks "$pid")
    x0=$(cpu_ticks "$XVFB_PID")
    sleep "$IDLE_S"
    cpu1=$(cpu_ticks "$pid")
    x1=$(cpu_ticks "$XVFB_PID")
    rss=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    kill -TERM "$pid"  # a window close request to both
    wait "$pid" || true
    # The gaps between the turns of the idle stretch, 2 to 12 s after the first
    # flip, and the flips made meanwhile.
    local first_wall first_cpu first_mono flips
    read -r first_wall first_cpu <"$log"
    first_mono=$(awk '$1 == "f" { print $2; exit }' "$log")
    flips=$(awk -v from="$first_mono" -v s="$IDLE_S" '
        $1 == "f" && $2 >= from + 2e9 && $2 < from + (2 + s) * 1e9 { n++ } END { print n + 0 }' "$log")
    # A turn ends with the pacer's sleep, or, when it is late, without one: two
    # flips with no sleep between them are a turn too (the floor behind time).
    awk -v from="$first_mono" -v s="$IDLE_S" '
        { turn = $1 == "t" || ($1 == "f" && previous == "f"); previous = $1 }
        turn && $2 >= from + 2e9 && $2 < from + (2 + s) * 1e9 { if (n++) print ($2 - last) / 1e6; last = $2 }' "$log" |
        sort -n | awk -v start=$(( (first_wall - before) / 1000 )) -v start_cpu="$first_cpu" -v rss="$rss" \
            -v cpu=$((cpu1 - cpu0)) -v x=$((x1 - x0)) -v hz="$TICKS" -v s="$IDLE_S" -v flips="$flips" '
        { gap[NR] = $1; if ($1 >= 14.7 && $1 <= 18.7) within++ }
        END {
            p99 = gap[int(NR * 0.99 + 0.999)]
            printf "%.1f %.1f %.2f %.2f %.2f %.2f %.2f %.2f %.1f %.2f\n", start / 1000, rss / 1024,
                   100 * cpu / hz / s, 100 * x / hz / s, (NR + 1) / s, gap[NR], p99, 100 * within / NR,
                   start_cpu / 1e6, flips / s
        }'
}

for run in $(seq "$RUNS"); do
    measure game "$WORK/game" ./pelune >>"$WORK/game.txt"
    measure floor "$WORK/floor" ./pelune_floor >>"$WORK/floor.txt"
done

echo "Game: $GAME_BINARY; floor: $FLOOR; $RUNS runs each, alternating, on $DISPLAY (Xvfb)"
echo "Renderer settings: SDL_RENDER_DRIVER=${SDL_RENDER_DRIVER-(game default)}" \
     "SDL_FRAMEBUFFER_ACCELERATION=${SDL_FRAMEBUFFER_ACCELERATION-(game default)}" \
     "SDL12COMPAT_WINDOW_SCALING=${SDL12COMPAT_WINDOW_SCALING-(unset)}" \
     "SDL12COMPAT_SCALE_METHOD=$SDL12COMPAT_SCALE_METHOD; screen ${PELUNE_XVFB_SIZE:-1920x1080}"
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
awk -v runs="$RUNS" '
    function sortcol(file_index, col,    i, j, t) {
        for (i = 1; i <= runs; i++) v[i] = val[file_index, i, col]
        for (i = 2; i <= runs; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) {
            t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
        }
    }
    FNR == 1 { f++ }
    { for (c = 1; c <= NF; c++) val[f, FNR, c] = $c }
    END {
        split("start-up to first flip (ms)|peak RSS (MB)|CPU idle on the menu (% core)|X server meanwhile (% core)|turns per second|worst turn gap (ms)|99th-percentile gap (ms)|gaps in 16.7 +/- 2 ms (%)|CPU used to first flip (ms)|flips per second", name, "|")
        printf "%-30s %-24s %-24s %s\n", "", "game min/median/max", "floor min/median/max", "ratio"
        mid = int((runs + 1) / 2)
        for (c = 1; c <= 10; c++) {
            sortcol(1, c); g1 = v[1]; gm = v[mid]; g2 = v[runs]
            sortcol(2, c); f1 = v[1]; fm = v[mid]; f2 = v[runs]
            game[c] = gm; floor_[c] = fm; worst[c] = g2
            printf "%-30s %-24s %-24s %s\n", name[c], sprintf("%.1f / %.1f / %.1f", g1, gm, g2),
                   sprintf("%.1f / %.1f / %.1f", f1, fm, f2), (fm > 0 ? sprintf("%.2f", gm / fm) : "-")
        }
        print ""
        print "Targets (game median against floor median; the worst game run in brackets):"
        target("peak RSS <= floor + 24 MB", game[2] - floor_[2], worst[2] - floor_[2], 24, "MB")
        target("idle CPU <= floor", game[3] - floor_[3], worst[3] - floor_[3], 0, "points")
        target("start-up <= floor + 25 ms", game[1] - floor_[1], worst[1] - floor_[1], 25, "ms")
        printf "  %-34s %.2f turns/s: %s\n", "pacing 60 +/- 0.5 turns/s", game[5],
               (game[5] >= 59.5 && game[5] <= 60.5) ? "met" : "missed"
        printf "  %-34s %.1f%% (99th percentile %.2f ms): %s\n", "99% of gaps in 16.7 +/- 2 ms",
               game[8], game[7], (game[8] >= 99 ? "met" : "missed (the target assumes an idle machine)")
    }
    function target(label, over, worst_over, limit, unit) {
        printf "  %-34s %+.2f %s (%+.2f): %s\n", label, over, unit, worst_over,
               (over <= limit ? "met" : sprintf("missed by %.2f %s", over - limit, unit))
    }' "$WORK/game.txt" "$WORK/floor.txt"
