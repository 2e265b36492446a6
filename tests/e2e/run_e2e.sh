#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real pelune executable, end to end: in an X server of its own (a
# 1920x1080 screen), driven by key presses and mouse motion as a player makes
# them, watched through its console output, its window, screenshots compared
# with the sheets' pixels, and the unlock file.
#
#   run_e2e.sh PELUNE_BINARY SOURCE_DIR
#
# The game is copied into a throw-away directory, so the repository's own
# data/dat.dat is never touched. Exit 77 (skipped) without Xvfb or its tools.
# The fullscreen checks need a window manager (openbox) and are left out without one.
set -euo pipefail

GAME_BINARY=$(realpath "$1")
SOURCE_DIR=$(realpath "$2")
SKIP=77

for tool in Xvfb xdotool xwininfo import convert compare; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (dev.sh test installs it)"; exit "$SKIP"; }
done

WORK=$(mktemp -d /tmp/pelune-e2e-XXXXXX)
XVFB_PID="" GAME_PID="" WM_PID="" XMESSAGE_PID=""
cleanup() {
    for pid in "$GAME_PID" "$XMESSAGE_PID" "$WM_PID" "$XVFB_PID"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
die() { echo "FAIL $*"; exit 1; }
check() {  # check WHAT COMMAND...: passes when COMMAND holds
    if "${@:2}"; then pass "$1"; else fail "$1"; fi
}
poll() {  # poll TENTHS COMMAND...: up to TENTHS tenths of a second for COMMAND to hold
    for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done
    return 1
}

# ---- The game directory: binary, sheets, sounds, icon; no unlock file ----
GAME_DIR=$WORK/game
mkdir -p "$GAME_DIR/data"
cp "$GAME_BINARY" "$GAME_DIR/pelune"
cp -r "$SOURCE_DIR/data/gfx" "$SOURCE_DIR/data/music" "$GAME_DIR/data/"
cp "$SOURCE_DIR/ico.bmp" "$GAME_DIR/"
GFX=$GAME_DIR/data/gfx
UNLOCK=$GAME_DIR/data/dat.dat

# ---- An X server of our own, on a display number it picks itself ----
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
poll 100 test -s "$WORK/display" || die "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$(head -n1 "$WORK/display")"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY SDL12COMPAT_WINDOW_SCALING SDL12COMPAT_SCALE_METHOD
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

# The game without a display ("") or on one where no X server runs, and with no
# audio device either, status in $status: anything but an answer from the command
# line alone is status 1, with one line about the display and none about audio.
no_display() {  # no_display DISPLAY OPTIONS...
    local display=$1
    shift
    status=0
    (cd "$GAME_DIR" && if [ -n "$display" ]; then export DISPLAY=$display; else unset DISPLAY; fi &&
        SDL_AUDIODRIVER=no-such-driver exec timeout 10 ./pelune "$@" >"$WORK/out" 2>"$WORK/err") ||
        status=$?
}

find_window() {  # the game's window, in $WINDOW
    WINDOW=$(xdotool search --name '^Pelune$' 2>/dev/null | head -n1) && [ -n "$WINDOW" ]
}
start_game() {  # start_game OPTIONS...
    (cd "$GAME_DIR" && exec ./pelune "$@" >"$WORK/out" 2>"$WORK/err") &
    GAME_PID=$!
    poll 100 find_window || die "no window captioned Pelune within 10 s; stderr: $(cat "$WORK/err")"
    # No window manager: give the window the keyboard, and the pointer too.
    xdotool windowfocus "$WINDOW"
    xdotool mousemove --window "$WINDOW" 240 20
    sleep 0.3
}

game_gone() { ! kill -0 "$GAME_PID" 2>/dev/null; }
# Escape, then up to 5 s for the game to end: status 0 and nothing on stderr.
quit_game() {  # quit_game WHICH
    press Escape
    poll 50 game_gone || true
    local status=0
    if kill -0 "$GAME_PID" 2>/dev/null; then status=still-running; else wait "$GAME_PID" || status=$?; fi
    GAME_PID=""
    check "$1: Escape ends the game with status 0 (status $status)" [ "$status" = 0 ]
    check "$1: nothing on stderr $(cat "$WORK/err")" [ ! -s "$WORK/err" ]
}

window_is() {  # window_is WxH: the window's size now
    [ "$(xwininfo -id "$WINDOW" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')" = "$1" ]
}

# The window's pixels ($1-raw.png), and sampled one pixel in each block of the
# scale down to the 480x272 the game draws ($1.png).
shot() {
    import -window "$WINDOW" "png:$WORK/$1-raw.png"
    convert "$WORK/$1-raw.png" -sample '480x272!' "png:$WORK/$1.png"
}

# Pixels differing between two same-size images: beyond a blend's rounding, or at all.
differing() {
    compare -metric AE -fuzz "${3:-2%}" "$1" "$2" null: 2>&1 >/dev/null | cut -d' ' -f1 || true
}

# Band k of the level sheet (a level's background), as it would fill the screen.
band() {
    [ -f "$WORK/band$1.png" ] ||
        convert "$GFX/lvl.png" -crop "480x272+0+$((272 * $1))" +repage -background black \
            -flatten "$WORK/band$1.png"
    echo "$WORK/band$1.png"
}


CLOSE=$((480 * 272 / 200))  # pixels that blending may round differently

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

# The pause banner's opaque pixels are on the screenshot ("now").
paused_banner() {
    convert "$GFX/anim.png" -crop 345x120+0+131 +repage "$WORK/pause.png"
    convert "$WORK/pause.png" -alpha extract -threshold 99% "$WORK/pause-mask.png"
    convert "$WORK/pause.png" -background black -alpha remove "$WORK/pause-mask.png" \
        -compose multiply -composite "$WORK/pause-want.png"
    convert "$WORK/now.png" -crop 345x120+62+71 +repage "$WORK/pause-mask.png" \
        -compose multiply -composite "$WORK/pause-seen.png"
    [ "$(differing "$WORK/pause-seen.png" "$WORK/pause-want.png")" -le "$CLOSE" ]
}
windowed() { ! window_is 1920x1080; }


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
shows_band() {  # the screenshot is closer to band $1 than to any other of the 12
    local k
    for k in $(seq 0 11); do echo "$(differing "$WORK/now.png" "$(band "$k")") $k"; done >"$WORK/bands"
    [ "$(sort -s -n -k1,1 "$WORK/bands" | head -n1 | cut -d' ' -f2)" = "$1" ]
}
shows_exactly() {  # the screenshot is the picture $1, to blending's rounding
    [ "$(differing "$WORK/now.png" "$1")" -le "$CLOSE" ]
}

# The menu's background (drawn at random), found in a screenshot ("now") of the
# main panel with item 1 lit; -1 when the screenshot is no such menu.
find_menu() {
    shot now
    BG=-1
    for k in 0 1 2 3; do shows_exactly "$(menu_screen "$k" 272)" && BG=$k || true; done
}

# ---- 0. The command line: answered before any window opens ----
for option in --version -V; do
    no_display "" $option
    { [ "$status" = 0 ] && grep -qxE 'pelune [0-9]+\.[0-9]+\.[0-9]+' "$WORK/out"; } &&
        pass "$option: $(cat "$WORK/out")" || fail "$option: status $status, $(cat "$WORK/out")"
done
no_display "" -h
{ [ "$status" = 0 ] && [ ! -s "$WORK/err" ] && grep -q -- '--scale N' "$WORK/out" &&
    grep -q -- '--windowed' "$WORK/out" && grep -q -- '--fullscreen' "$WORK/out" && grep -q F11 "$WORK/out"; } &&
    pass "-h: status 0, the options and keys" || fail "-h: status $status, $(cat "$WORK/out")"
for options in "--scale 0" "--scale 9" "--scale 2x" "--scale" "--fast" "--scale 2 extra"; do
    no_display "" $options  # split on purpose
    { [ "$status" = 2 ] && grep -q '^Usage: pelune' "$WORK/err" && [ ! -s "$WORK/out" ]; } &&
        pass "$options: status 2, the usage on stderr" || fail "$options: status $status; $(cat "$WORK/err")"
done

# ---- 1. No display (nor audio): status 1 and one line on standard error ----
# SDL falls back to drawing nowhere when it finds no display; the game must not
# run on unseen (timeout's 124 would say it did).
unused=$(($(head -n1 "$WORK/display") + 37))
while [ -e "/tmp/.X11-unix/X$unused" ] || [ -e "/tmp/.X$unused-lock" ]; do unused=$((unused + 1)); done
for display in "" ":$unused"; do
    no_display "$display"
    lines=$(wc -l <"$WORK/err")
    { [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] && grep -q '^pelune: no display: ' "$WORK/err" &&
        [ ! -s "$WORK/out" ]; } &&
        pass "no display (DISPLAY ${display:-unset}): status 1, one line: $(cat "$WORK/err")" ||
        fail "no display (DISPLAY ${display:-unset}): status $status, $lines lines on stderr: $(cat "$WORK/err")"
done
[ ! -e "$UNLOCK" ] || fail "a start without a display wrote the unlock file"

# ---- 2. First run, at the scale that fits the screen: start-up, window,
# menu, mouse motion, a whole game, the ending ----
start_game
expected_out=$'Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...OK\n\nLoading music...OK\n\n'
printf '%s' "$expected_out" >"$WORK/expected_out"
check "start-up text, byte for byte" poll 50 cmp -s "$WORK/out" "$WORK/expected_out"
check "window captioned Pelune, 1440x816: three times 480x272, the most that fits 85 % of 1920x1080" \
    window_is 1440x816

# The menu: one of the four backgrounds (drawn at random) with the main panel,
# item 1 lit, over its bottom.
sleep 0.5
find_menu
check "menu: background $BG with the main panel" [ "$BG" -ge 0 ]
# Crisp: each pixel a 3x3 block, so sampling down and back up changes nothing.
convert "$WORK/now.png" -sample '1440x816!' "$WORK/menu-back.png"
count=$(differing "$WORK/now-raw.png" "$WORK/menu-back.png" 0)
check "3x window: every pixel replicated, none blurred ($count pixels off)" [ "$count" = 0 ]

# A burst of mouse motion over the window does not hold the next key back.
moves=()
for i in $(seq 300); do moves+=(mousemove --window "$WINDOW" $((20 + i % 400)) $((20 + i % 200))); done
xdotool "${moves[@]}"
xdotool keydown Down
sleep 0.1
shot now
xdotool keyup Down
check "300 mouse moves, then Down: the highlight has moved 100 ms later" \
    shows_exactly "$(menu_screen "$BG" 362)"
press Up

# Starts a game on Easy from the main menu: Play, the slide, Easy.
new_game() {
    press Return
    check "$1: Return on Play slides the difficulty panel in" \
        wait_for 10 shows_exactly "$(menu_screen "$BG" 632)"
    press Return
    check "$1: Return on Easy starts level 1 (band 0 of the level sheet)" wait_for 20 shows_band 0
}

# Passes N levels: each won at once with Backspace, then Return for the next.
pass_levels() {
    for _ in $(seq "$1"); do
        press BackSpace
        press Return
    done
}

new_game "first run"
pass_levels 9
check "level 9 won while locked: the ending (band 9) once its curtain has opened" \
    wait_for 10 shows_exactly "$(band 9)"
[ ! -e "$UNLOCK" ] || fail "the unlock file exists before the ending is left"

press Return  # back to the menu, unlocking the bonus level
poll 20 test -e "$UNLOCK" || true
check "leaving the ending wrote data/dat.dat holding exactly \"1\"" \
    [ "$(od -An -c "$UNLOCK" 2>/dev/null | tr -d ' ')" = 1 ]
quit_game "first run"

# ---- 3. Second run, at 1x: the unlock is read back and level 9 leads to the bonus level ----
start_game --scale 1
check "--scale 1: the window is 480x272" window_is 480x272
find_menu
new_game "second run"
pass_levels 9
check "second run: level 9 won leads to the bonus level (band 11)" wait_for 10 shows_band 11
pass_levels 1
check "second run: the bonus level won leads to the ending" wait_for 10 shows_exactly "$(band 9)"
press Return
sleep 0.3
[ "$(od -An -c "$UNLOCK" | tr -d ' ')" = 1 ] || fail "data/dat.dat changed on the second completion: $(od -c "$UNLOCK")"
quit_game "second run"

# ---- 4. Fullscreen and back, under a window manager ----
if command -v openbox >/dev/null; then
    openbox >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    sleep 1
    start_game
    find_menu
    for keys in F11 alt+Return; do
        xdotool key "$keys"
        check "$keys: fullscreen, 1920x1080" poll 30 window_is 1920x1080
        xdotool key "$keys"
        check "$keys again: back to the 1440x816 window" poll 30 window_is 1440x816
    done
    sleep 0.3
    check "the game saw neither F11 nor Alt+Return: the menu is as it was" \
        wait_for 2 shows_exactly "$(menu_screen "$BG" 272)"
    quit_game "fullscreen run"
    start_game --fullscreen
    check "--fullscreen: the window covers the screen" poll 30 window_is 1920x1080
    quit_game "--fullscreen run"
    check "--fullscreen is for its run only: the settings keep the window" \
        grep -qx fullscreen=0 "$GAME_DIR/data/settings.ini"
    start_game
    xdotool key F11
    quit_game "F11 run"
    start_game
    check "F11, quit, restart: fullscreen again" poll 30 window_is 1920x1080
    sleep 0.5
    import -window root "png:$WORK/root.png"
    check "fullscreen at the whole scale 3: 1440x816, centred in black borders" \
        [ "$(convert "$WORK/root.png" -format %@ info:)" = 1440x816+240+132 ]
    xdotool key F11
    check "F11: back to a window" poll 30 windowed
    find_menu
    new_game "focus run"
    sleep 7  # curtain and countdown: 393 frames
    shot now
    if paused_banner; then fail "the race runs: a pause banner"; else pass "the race runs: no pause banner"; fi
    xmessage -geometry +0+0 "another window" &
    XMESSAGE_PID=$!
    poll 50 xdotool search --name '^xmessage$' >/dev/null || true
    xdotool windowactivate "$(xdotool search --name '^xmessage$' | head -n1)" || true
    check "another window takes the focus mid-race: the game pauses" wait_for 5 paused_banner
    kill "$XMESSAGE_PID"
    xdotool windowactivate "$WINDOW"
    sleep 0.3
    quit_game "focus run"
else
    echo "skip fullscreen checks: no window manager (openbox) installed"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; screenshots were in $WORK"
    exit 1
fi
echo "end-to-end: every check passed"
