#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# cmake --install into a throw-away DESTDIR, as a player's machine gets it: the
# files laid out, the desktop entry and metainfo valid, the installed game
# started from elsewhere loads everything, a whole game through the install
# keeps the unlock under XDG_DATA_HOME, and the Debian package depends on SDL.
#   run_install.sh BUILD_DIR PELUNE_TESTS
set -euo pipefail
BUILD=$(realpath "$1")
TESTS=$(realpath "$2")
for tool in desktop-file-validate appstreamcli dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (dev.sh test installs it)"; exit 77; }
done
WORK=$(mktemp -d /tmp/pelune-install-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
DESTDIR=$WORK/root cmake --install "$BUILD" --prefix /opt/p >/dev/null
ROOT=$WORK/root/opt/p
ID=io.github.pelune.Pelune
listing() { (cd "$ROOT" && find . ! -type d | sed 's|^\./||' | sort); }
listing >"$WORK/listing"
{
    echo "bin/pelune share/pelune/ico.bmp share/applications/$ID.desktop"
    echo "share/metainfo/$ID.metainfo.xml share/man/man6/pelune.6.gz"
    for size in 32 48 64 128 256; do echo "share/icons/hicolor/${size}x$size/apps/$ID.png"; done
    for file in gfx/{anim,joueur,lvl,menu}.png music/{1,2,3,earlystart,gameover,levelwin,pause,pelune,start}.wav music/music.ogg; do
        echo "share/pelune/data/$file"
    done
} | tr ' ' '\n' | sort | diff - "$WORK/listing"
desktop-file-validate "$ROOT/share/applications/$ID.desktop"
appstreamcli validate --no-net "$ROOT/share/metainfo/$ID.metainfo.xml"
mkdir "$WORK/elsewhere" && cd "$WORK/elsewhere"
# SDL ends the game cleanly on timeout's SIGTERM; in the sanitizer build the
# leak report at that exit is left to the tests that look for leaks.
export HOME=$WORK/home XDG_DATA_HOME=$WORK/xdg SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=0
# The installed game, and the built one (through its checkout), from elsewhere.
for game in "$ROOT/bin/pelune" "$BUILD/pelune"; do
    status=0
    timeout 5 "$game" >out 2>err || status=$?
    [ "$status" = 124 ] && grep -q "Loading music...OK" out && ! grep . err || { cat out err; exit 1; }
done
status=0
PELUNE_DATA_DIR=$WORK/elsewhere "$ROOT/bin/pelune" 2>err || status=$?
[ "$status" = 1 ] && [ "$(cat err)" = "pelune: no game data (data/gfx, data/music) in PELUNE_DATA_DIR $WORK/elsewhere" ]
PELUNE_INSTALLED=$ROOT "$TESTS" --gtest_filter='Installed.*' --gtest_brief=1
[ "$(cat "$XDG_DATA_HOME/pelune/dat.dat")" = 1 ] && listing | diff "$WORK/listing" -
cd "$BUILD" && cpack -G DEB -B "$WORK/deb" >/dev/null
dpkg-deb -f "$WORK"/deb/pelune_*_amd64.deb Depends | grep libsdl1.2 | grep libsdl-mixer1.2
echo "install: every check passed"
