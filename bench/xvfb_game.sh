# SPDX-License-Identifier: MIT
# Sourced by the measuring scripts: the game in a folder of its own (so its
# unlock file stays there) and an X server of their own.

# copy_game BINARY DATA_DIR DEST: the binary as DEST/pelune, with the sheets,
# the sounds and the icon.
copy_game() {
    mkdir -p "$3/data"
    cp "$1" "$3/pelune"
    cp -r "$2/data/gfx" "$2/data/music" "$3/data/"
    cp "$2/ico.bmp" "$3/"
}

# start_xvfb WORK: an Xvfb of PELUNE_XVFB_SIZE (default 1920x1080) on a display
# number it picks itself; sets XVFB_PID and DISPLAY, and the dummy audio driver
# (no sound card here).
start_xvfb() {
    exec 3>"$1/display"
    Xvfb -displayfd 3 -screen 0 "${PELUNE_XVFB_SIZE:-1920x1080}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    for _ in $(seq 300); do [ -s "$1/display" ] && break; sleep 0.1; done
    [ -s "$1/display" ] || { echo "Xvfb did not start within 30 s" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$1/display")"
    export SDL_AUDIODRIVER=dummy
}
