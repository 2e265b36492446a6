#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The game as a static web site, with Emscripten's own SDL 1.2 layer:
#   web/build.sh [OUT]   (default build-web/) -> index.html, pelune.js, pelune.wasm,
#                        pelune.data (the pictures and sounds), icon.png; the
#                        objects go beside it, into OUT-obj/, so OUT can be published as it is
# Every game source but the desktop's entry point, sheet decoder, sanitizer
# list and SDL 2 window scaling; src/main_web.cpp stands in for them. The
# browser decodes the pictures and sounds, so neither libpng nor libdeflate is
# needed.
set -euo pipefail
root=$(dirname "$0")/..
OUT=$(realpath -m "${1:-$root/build-web}")
OBJ=$OUT-obj
cd "$root"
mkdir -p "$OUT" "$OBJ"
# Debian's emcc finds its JavaScript modules only there.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# Emscripten wants to write into its cache of system libraries: a user who
# cannot write the packaged one gets a copy of it.
if [ -z "${EM_CACHE:-}" ] && [ ! -w /usr/share/emscripten/cache ]; then
    export EM_CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/pelune-emscripten
    [ -d "$EM_CACHE" ] || cp -r /usr/share/emscripten/cache "$EM_CACHE"
fi
launcher=()
command -v ccache >/dev/null && launcher=(ccache)

version=$(sed -n 's/^project(Pelune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The browser's SDL headers number events as SDL 2 does and have no SDL_NUMEVENTS.
CXXFLAGS=(-std=c++20 -O2 -Wall -Wextra -Werror -Isrc -DPELUNE_VERSION="\"$version\""
          -DSDL_NUMEVENTS=SDL_LASTEVENT
          -DPELUNE_BUILD_DIR='"/"' -DPELUNE_CHECKOUT_DIR='"/"' -DPELUNE_EXE_TO_DATA='"."'
          -DPELUNE_INSTALL_DATA_DIR='"/"')
sources=()
for source in src/*.cpp; do
    case $source in
    src/entry.cpp | src/main_sheets.cpp | src/main_sanitize.cpp | src/main_desktop.cpp) ;;
    *) sources+=("$source") ;;
    esac
done
printf '%s\n' "${sources[@]}" | xargs -P"$(nproc)" -I{} sh -c \
    'exec "$0" "$@" -c {} -o "'"$OBJ"'/$(basename {}).o"' "${launcher[@]}" em++ "${CXXFLAGS[@]}"
objects=()
for source in "${sources[@]}"; do objects+=("$OBJ/$(basename "$source").o"); done

em++ -O2 "${objects[@]}" -o "$OUT/pelune.js" -lidbfs.js \
    -sINITIAL_MEMORY=64MB -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web \
    -sEXPORTED_RUNTIME_METHODS=callMain,FS,addRunDependency,removeRunDependency \
    --use-preload-plugins \
    --preload-file data/gfx@/data/gfx --preload-file data/music@/data/music \
    --preload-file ico.bmp@/ico.bmp
cp web/index.html "$OUT/index.html"
cp icons/pelune_32.png "$OUT/icon.png"
ls -l "$OUT"/index.html "$OUT"/pelune.*
