#!/usr/bin/env bash
# The real pelune executable, end to end: in an X server of its own, driven by
# key presses as a player makes them, watched through its console output, its
# window, screenshots compared with the sheets' pixels, and the unlock file.
#
#   run_e2e.sh PELUNE_BINARY SOURCE_DIR
#
# The game is copied into a throw-away directory, so the repository's own
# data/dat.dat is never touched. Exit 77 (skipped) without Xvfb or its tools.
set -euo pipefail

GAME_BINARY=$(realpath "$1")
SOURCE_DIR=$(realpath "$2")
SKIP=77

for tool in Xvfb xdotool xwininfo import convert compare; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (dev.sh test installs it)"
        exit "$SKIP"
    fi
done

WORK=$(mktemp -d /tmp/pelune-e2e-XXXXXX)
XVFB_PID=""
GAME_PID=""
cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
die() { echo "FAIL $*"; exit 1; }

# ---- The game directory: binary, sheets, sounds, icon; no unlock file ----
GAME_DIR=$WORK/game
mkdir -p "$GAME_DIR/data"
cp "$GAME_BINARY" "$GAME_DIR/pelune"
cp -r "$SOURCE_DIR/data/gfx" "$SOURCE_DIR/data/music" "$GAME_DIR/data/"
cp "$SOURCE_DIR/ico.bmp" "$GAME_DIR/"
GFX=$GAME_DIR/data/gfx
UNLOCK=$GAME_DIR/data/dat.dat
for sheet in menu lvl anim joueur; do
    [ -f "$GFX/$sheet.png" ] || die "data/gfx/$sheet.png is missing from the repository"
done

# ---- An X server of our own, on a display number it picks itself ----
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
done
[ -s "$WORK/display" ] || die "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$(head -n1 "$WORK/display")"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
export SDL_AUDIODRIVER=dummy  # no sound card here
# A session's runtime directory, as a desktop has one: without it the Wayland
# client library complains on stderr while SDL looks for a display.
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"

# ---- Helpers ----
# One key press: down and up a few frames apart, as the game wants them.
press() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
    sleep 0.1
}

start_game() {
    : >"$WORK/out"
    : >"$WORK/err"
    (cd "$GAME_DIR" && exec ./pelune >"$WORK/out" 2>"$WORK/err") &
    GAME_PID=$!
    WINDOW=""
    for _ in $(seq 100); do
        WINDOW=$(xdotool search --name '^Pelune$' 2>/dev/null | head -n1 || true)
        [ -n "$WINDOW" ] && break
        sleep 0.1
    done
    [ -n "$WINDOW" ] || die "no window captioned Pelune within 10 s; stderr: $(cat "$WORK/err")"
    # No window manager: give the window the keyboard, and the pointer too.
    xdotool windowfocus "$WINDOW"
    xdotool mousemove --window "$WINDOW" 240 20
    sleep 0.3
}

# Waits up to 5 s for the game to end; prints its exit status.
wait_exit() {
    for _ in $(seq 50); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$GAME_PID" 2>/dev/null; then
        echo "still-running"
        return
    fi
    local status=0
    wait "$GAME_PID" || status=$?
    GAME_PID=""
    echo "$status"
}

shot() {  # shot NAME: the window's pixels, 480x272
    import -window "$WINDOW" "png:$WORK/$1.png"
}

# Pixels differing by more than a blend's rounding between two same-size images.
differing() {
    compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1 || true
}

# Band k of the level sheet (a level's background), as it would fill the screen.
band() {
    [ -f "$WORK/band$1.png" ] ||
        convert "$GFX/lvl.png" -crop "480x272+0+$((272 * $1))" +repage -background black \
            -flatten "$WORK/band$1.png"
    echo "$WORK/band$1.png"
}

# The band of the level sheet that the screenshot shows most of (of all 12).
closest_band() {
    local best=-1 best_count=999999 count
    for k in $(seq 0 11); do
        count=$(differing "$1" "$(band "$k")")
        if [ "$count" -lt "$best_count" ]; then
            best=$k
            best_count=$count
        fi
    done
    echo "$best $best_count"
}

PIXELS=$((480 * 272))
CLOSE=$((PIXELS / 200))  # what blending may round differently

# The menu as the game draws it: background k with a panel (menu.png's rows
# from sheet_y) over the bottom. Panels may be partly transparent, so the panel
# is laid over the background as the game blends it.
menu_screen() {  # menu_screen K SHEET_Y -> file
    local file=$WORK/menu_bg$1_panel$2.png
    [ -f "$file" ] ||
        convert "$GFX/menu.png" -crop "480x272+480+$((272 * $1))" +repage -background black -flatten \
            \( "$GFX/menu.png" -crop "480x90+0+$2" +repage \) -geometry +0+180 -composite "$file"
    echo "$file"
}

# wait_for SECONDS COMMAND...: takes screenshots (as "now") until COMMAND holds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    while [ "$SECONDS" -lt "$deadline" ]; do
        shot now
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
shows_band() {  # the screenshot is closer to band $1 than to any other
    local seen
    read -r seen _ < <(closest_band "$WORK/now.png")
    [ "$seen" = "$1" ]
}
shows_exactly() {  # the screenshot is the picture $1, to blending's rounding
    [ "$(differing "$WORK/now.png" "$1")" -le "$CLOSE" ]
}

# ---- 1. No display: status 1 and one line on standard error ----
# SDL falls back to drawing nowhere when it finds no display; the game must not
# run on unseen (timeout's 124 would say it did).
unused=$(( $(head -n1 "$WORK/display") + 37 ))
while [ -e "/tmp/.X11-unix/X$unused" ] || [ -e "/tmp/.X$unused-lock" ]; do unused=$((unused + 1)); done
for display in unset ":$unused"; do
    status=0
    if [ "$display" = unset ]; then
        (cd "$GAME_DIR" && env -u DISPLAY timeout 10 ./pelune >"$WORK/out" 2>"$WORK/err") || status=$?
    else
        (cd "$GAME_DIR" && DISPLAY="$display" timeout 10 ./pelune >"$WORK/out" 2>"$WORK/err") || status=$?
    fi
    lines=$(wc -l <"$WORK/err")
    if [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] && [ ! -s "$WORK/out" ]; then
        pass "no display (DISPLAY $display): status 1, one line: $(cat "$WORK/err")"
    else
        fail "no display (DISPLAY $display): status $status, $lines lines on stderr, stdout $(wc -c <"$WORK/out") bytes"
        cat "$WORK/err"
    fi
done
[ ! -e "$UNLOCK" ] || fail "a start without a display wrote the unlock file"

# ---- 2. First run: start-up, window, menu picture, a whole game, the ending ----
start_game
expected_out=$'Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...OK\n\nLoading music...OK\n\n'
printf '%s' "$expected_out" >"$WORK/expected_out"
if cmp -s "$WORK/out" "$WORK/expected_out"; then
    pass "start-up text, byte for byte"
else
    fail "start-up text differs:"
    od -c "$WORK/out" | head -20
fi

geometry=$(xwininfo -id "$WINDOW")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
if [ "$width" = 480 ] && [ "$height" = 272 ]; then
    pass "window captioned Pelune, 480x272"
else
    fail "window is ${width}x${height}, not 480x272"
fi

# The menu: one of the four backgrounds (drawn at random) with the main panel,
# item 1 lit, over its bottom.
sleep 0.5
shot menu
BG=-1
best_menu=$PIXELS
for k in 0 1 2 3; do
    count=$(differing "$WORK/menu.png" "$(menu_screen "$k" 272)")
    if [ "$count" -lt "$best_menu" ]; then
        BG=$k
        best_menu=$count
    fi
done
if [ "$best_menu" -le "$CLOSE" ]; then
    pass "menu: background $BG with the main panel ($best_menu pixels off)"
else
    fail "menu: the screenshot is no background with the main panel ($best_menu pixels off)"
fi

# Starts a game on Easy from the main menu: Play, the slide, Easy.
new_game() {
    press Return
    if wait_for 10 shows_exactly "$(menu_screen "$BG" 632)"; then
        pass "$1: Return on Play slides the difficulty panel in"
    else
        fail "$1: no difficulty panel after Return on Play"
    fi
    press Return
    if wait_for 10 shows_band 0; then
        pass "$1: Return on Easy starts level 1 (band 0 of the level sheet)"
    else
        fail "$1: Return on Easy did not start level 1"
    fi
}

# Passes N levels: each won at once with Backspace, then Return for the next.
pass_levels() {
    for _ in $(seq "$1"); do
        press BackSpace
        press Return
    done
}

new_game "first run"
pass_levels 8
if wait_for 10 shows_band 8; then
    pass "eight levels won: level 9 (band 8)"
else
    fail "eight levels won, but level 9 (band 8) does not show"
fi
pass_levels 1
if wait_for 10 shows_exactly "$(band 9)"; then
    pass "level 9 won while locked: the ending (band 9) once its curtain has opened"
else
    fail "level 9 won while locked, but no ending; closest band: $(closest_band "$WORK/now.png")"
fi
[ ! -e "$UNLOCK" ] || fail "the unlock file exists before the ending is left"

press Return  # back to the menu, unlocking the bonus level
for _ in $(seq 20); do
    [ -e "$UNLOCK" ] && break
    sleep 0.1
done
if [ -f "$UNLOCK" ] && [ "$(od -An -c "$UNLOCK" | tr -d ' ')" = 1 ]; then
    pass "leaving the ending wrote data/dat.dat holding exactly \"1\""
else
    fail "data/dat.dat after the ending: $( [ -e "$UNLOCK" ] && od -c "$UNLOCK" || echo missing)"
fi

press Escape
status=$(wait_exit)
if [ "$status" = 0 ]; then
    pass "Escape ends the game with status 0"
else
    fail "Escape: exit status $status"
fi
if [ -s "$WORK/err" ]; then
    fail "the first run said something on stderr:"
    cat "$WORK/err"
fi

# ---- 3. Second run: the unlock is read back and level 9 leads to the bonus level ----
start_game
shot menu2
BG=-1
for k in 0 1 2 3; do
    [ "$(differing "$WORK/menu2.png" "$(menu_screen "$k" 272)")" -le "$CLOSE" ] && BG=$k
done
[ "$BG" -ge 0 ] || fail "second run: the menu does not show"
new_game "second run"
pass_levels 9
if wait_for 10 shows_band 11; then
    pass "second run: level 9 won leads to the bonus level (band 11)"
else
    fail "second run: after level 9 no bonus level; closest band: $(closest_band "$WORK/now.png")"
fi
pass_levels 1
if wait_for 10 shows_exactly "$(band 9)"; then
    pass "second run: the bonus level won leads to the ending"
else
    fail "second run: no ending after the bonus level; closest band: $(closest_band "$WORK/now.png")"
fi
press Return
sleep 0.3
[ "$(od -An -c "$UNLOCK" | tr -d ' ')" = 1 ] || fail "data/dat.dat changed on the second completion: $(od -c "$UNLOCK")"
press Escape
status=$(wait_exit)
if [ "$status" = 0 ]; then
    pass "second run: Escape ends it with status 0"
else
    fail "second run: exit status $status"
fi
if [ -s "$WORK/err" ]; then
    fail "the second run said something on stderr:"
    cat "$WORK/err"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; screenshots were in $WORK"
    exit 1
fi
echo "end-to-end: every check passed"
