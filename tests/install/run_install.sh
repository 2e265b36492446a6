#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# cmake --install into a throw-away DESTDIR, as a player's machine gets it: the
# files laid out, the desktop entry and metainfo valid, the installed game
# started from elsewhere loads everything, a whole game through the install
# keeps the unlock under XDG_DATA_HOME.
#   run_install.sh BUILD_DIR PELUNE_TESTS
# With --release instead: the committed tree holds no build output; two
# ./dev.sh dist, and two ./dev.sh package from the tarball unpacked in other
# folders at other times, give the same bytes; lintian accepts the package.
set -euo pipefail
for tool in desktop-file-validate appstreamcli dpkg-shlibdeps lintian git file; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (dev.sh test installs it)"; exit 77; }
done
WORK=$(mktemp -d /tmp/pelune-install-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
if [ "$1" = --release ]; then
    cd "$(dirname "$0")/../.."
    [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$PWD" ] || { echo "SKIP: not a git checkout"; exit 77; }
    git ls-files -z | xargs -0 file -N --mime-type |
        { ! grep -E ': *application/(x-(pie-)?executable|x-sharedlib|x-object|x-archive|vnd\.debian\.binary-package)$'; }
    for run in a bb/c; do
        mkdir -p "$WORK/$run"; ./dev.sh dist "$WORK/$run" >/dev/null; sleep 1
        (cd "$WORK/$run"; tar xzf pelune-*.tar.gz; pelune-*/dev.sh package >/dev/null)
    done
    cmp "$WORK"/a/pelune-*.tar.gz "$WORK"/bb/c/pelune-*.tar.gz
    cmp "$WORK"/a/pelune-*/build-deb/*.deb "$WORK"/bb/c/pelune-*/build-deb/*.deb
    deb=$(echo "$WORK"/a/pelune-*/build-deb/*.deb)
    lintian -I --pedantic "$deb" 2>&1 | { ! grep -v '^running with root'; }
    dpkg-deb -c "$deb" | grep -c -E ' \./usr/(games/pelune|share/doc/pelune/(copyright|changelog\.gz))$' | grep -qx 3
    dpkg-deb -f "$deb" Depends | grep libsdl1.2 | grep libsdl-mixer1.2
    echo "release: every check passed"
    exit 0
fi
BUILD=$(realpath "$1") TESTS=$(realpath "$2")
DESTDIR=$WORK/root cmake --install "$BUILD" --prefix /opt/p >/dev/null
ROOT=$WORK/root/opt/p ID=io.github.pelune.pelune
listing() { (cd "$ROOT" && find . ! -type d | sed 's|^\./||' | sort); }
listing >"$WORK/listing"
printf '%s\n' bin/pelune share/pelune/ico.bmp share/{applications/$ID.desktop,metainfo/$ID.metainfo.xml} \
    share/man/man6/pelune.6.gz share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/$ID.png \
    share/pelune/data/{gfx/{anim,joueur,lvl,menu}.png,music/music.ogg} \
    share/pelune/data/music/{1,2,3,caught,earlystart,gameover,levelwin,pause,pelune,start}.wav | sort | diff - "$WORK/listing"
# Clean: not even a hint or a pedantic note.
desktop-file-validate "$ROOT/share/applications/$ID.desktop" | { ! grep .; }
appstreamcli validate --pedantic --no-net "$ROOT/share/metainfo/$ID.metainfo.xml" | { ! grep -E '^[EWIP]:'; }
mkdir "$WORK/elsewhere" && cd "$WORK/elsewhere"
# SDL ends the game cleanly on timeout's SIGTERM; in the sanitizer build the
# leak report at that exit is left to the tests that look for leaks.
export HOME=$WORK/home XDG_DATA_HOME=$WORK/xdg SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=0
# The installed game, and the built one (through its checkout), from elsewhere.
for game in "$ROOT/bin/pelune" "$BUILD/pelune"; do
    status=0; timeout 5 "$game" >out 2>err || status=$?
    [ "$status" = 124 ] && grep -q "Loading music...OK" out && ! grep . err || { cat out err; exit 1; }
done
status=0; PELUNE_DATA_DIR=$WORK/elsewhere "$ROOT/bin/pelune" 2>err || status=$?
[ "$status" = 1 ] && [ "$(cat err)" = "pelune: no game data (data/gfx, data/music) in PELUNE_DATA_DIR $WORK/elsewhere" ] || exit 1
PELUNE_INSTALLED=$ROOT "$TESTS" --gtest_filter='Installed.*' --gtest_brief=1
[ "$(cat "$XDG_DATA_HOME/pelune/dat.dat")" = 1 ] && listing | diff "$WORK/listing" - || exit 1
echo "install: every check passed"
