#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The web build in headless Chromium, RUNS times (default 3): turns per second
# over 20 s on the menu, the time from page load to the first drawn frame beside
# the floor (bench/web_floor.cpp, the smallest Emscripten SDL page, built here),
# and the bytes a first visit downloads gzip-compressed, as static hosts serve.
#   bench/measure_web.sh [SITE_DIR [RUNS]]   (default build-web, from ./dev.sh web)
set -euo pipefail
SOURCE_DIR=$(realpath "$(dirname "$0")/..")
SITE=$(realpath "${1:-$SOURCE_DIR/build-web}")
FLOOR=$(mktemp -d /tmp/pelune-web-floor-XXXXXX)
trap 'rm -rf "$FLOOR"' EXIT
NODE_PATH=${NODE_PATH:-/usr/share/nodejs} em++ -O2 "$SOURCE_DIR/bench/web_floor.cpp" -o "$FLOOR/floor.js"
printf '<!doctype html><canvas id="canvas"></canvas><script>var Module = { canvas: document.getElementById("canvas") };</script><script src="floor.js"></script>\n' >"$FLOOR/index.html"
node "$SOURCE_DIR/bench/measure_web.js" "$SITE" "$FLOOR" "${2:-3}"
