#!/usr/bin/env bash
# The real program under an X server of its own (Xvfb): start-up time to the
# first flipped frame, peak resident memory, CPU share while idle on the menu,
# and the pacing (turns per second). The flips are timed by a probe preloaded
# into the game (libpelune_flip_probe.so); the game itself is unchanged.
#
#   bench/measure_run.sh PELUNE_BINARY PROBE_SO SOURCE_DIR [START_RUNS]
set -euo pipefail

GAME_BINARY=$(realpath "$1")
PROBE=$(realpath "$2")
SOURCE_DIR=$(realpath "$3")
START_RUNS=${4:-5}

for tool in Xvfb xdotool /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

WORK=$(mktemp -d /tmp/pelune-measure-XXXXXX)
XVFB_PID=""
cleanup() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/game/data"
cp "$GAME_BINARY" "$WORK/game/pelune"
cp -r "$SOURCE_DIR/data/gfx" "$SOURCE_DIR/data/music" "$WORK/game/data/"
cp "$SOURCE_DIR/ico.bmp" "$WORK/game/"

exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display")"
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SDL_VIDEODRIVER
TICKS=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks
    awk '{print $14 + $15}' "/proc/$1/stat"
}

quit_game() {  # Escape to the game's window, then wait for the process
    local window
    window=$(xdotool search --name '^Pelune$' | head -n1)
    xdotool windowfocus "$window"
    xdotool keydown Escape
    sleep 0.1
    xdotool keyup Escape
    wait "$1"
}

# ---- Start-up: from exec to the first flip, START_RUNS times ----
startups=()
for run in $(seq "$START_RUNS"); do
    log=$WORK/flips$run
    (cd "$WORK/game" && before=$(date +%s%N) && echo "$before" >"$WORK/before$run" &&
        exec env LD_PRELOAD="$PROBE" PELUNE_FLIP_LOG="$log" ./pelune >/dev/null 2>&1) &
    pid=$!
    sleep 1.5
    quit_game "$pid"
    first=$(head -n1 "$log")
    startups+=("$(( (first - $(cat "$WORK/before$run")) / 1000 ))")
done
sorted=$(printf '%s\n' "${startups[@]}" | sort -n)
median=$(sed -n "$(( (START_RUNS + 1) / 2 ))p" <<<"$sorted")
echo "start-up to the first flipped frame: median $((median / 1000)).$(( (median % 1000) / 100 )) ms" \
     "over $START_RUNS runs (each: $(tr '\n' ' ' <<<"$sorted")us)"

# ---- One long run on the menu: idle CPU, pacing, peak memory ----
log=$WORK/flips_long
(cd "$WORK/game" && exec /usr/bin/time -v -o "$WORK/time" \
    env LD_PRELOAD="$PROBE" PELUNE_FLIP_LOG="$log" ./pelune >/dev/null 2>&1) &
time_pid=$!
sleep 2
game_pid=$(ps -o pid= --ppid "$time_pid" | tr -d ' ')
game_before=$(cpu_ticks "$game_pid")
x_before=$(cpu_ticks "$XVFB_PID")
sleep 10
game_after=$(cpu_ticks "$game_pid")
x_after=$(cpu_ticks "$XVFB_PID")
quit_game "$time_pid"

awk -v g=$((game_after - game_before)) -v x=$((x_after - x_before)) -v hz="$TICKS" 'BEGIN {
    printf "idle on the menu, 10 s: the game %.1f%% of one core (the X server %.1f%%)\n",
           100 * g / hz / 10, 100 * x / hz / 10 }'
rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time")
echo "peak resident memory: $((rss / 1024)).$(( (rss % 1024) * 10 / 1024 )) MB ($rss kB)"

# ---- Headless (SDL's dummy drivers): the game's own memory and CPU, without
# the X server's and the GL driver's share. SIGTERM reaches the game as a
# window close request.
(cd "$WORK/game" && exec env SDL_VIDEODRIVER=dummy /usr/bin/time -v -o "$WORK/time_headless" \
    ./pelune >/dev/null 2>&1) &
time_pid=$!
sleep 2
game_pid=$(ps -o pid= --ppid "$time_pid" | tr -d ' ')
game_before=$(cpu_ticks "$game_pid")
sleep 10
game_after=$(cpu_ticks "$game_pid")
kill -TERM "$game_pid"
wait "$time_pid"
rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time_headless")
awk -v g=$((game_after - game_before)) -v hz="$TICKS" -v rss="$rss" 'BEGIN {
    printf "headless (dummy drivers): idle on the menu %.1f%% of one core; peak resident memory %.1f MB\n",
           100 * g / hz / 10, rss / 1024 }'

# Pacing: the flips in a 5 s window starting 3 s after the first one.
tail -n +2 "$log" | awk '
    NR == 1 { start = $1 + 3e9; end = start + 5e9 }
    $1 >= start && $1 < end {
        if (count > 0) {
            gap = ($1 - last) / 1e6
            if (gap > worst) worst = gap
            if (gap < 15.7 || gap > 17.7) off += 1
        }
        last = $1; count += 1
    }
    END {
        printf "pacing over 5 s: %.2f turns/s; longest gap %.1f ms; %d of %d gaps outside 16.7 +/- 1 ms\n",
               count / 5, worst, off, count - 1
    }'
