#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The web build in a real browser: builds the site (web/build.sh) into the
# build folder, has the desktop game draw the reference frames, and plays the
# site in headless Chromium (web_e2e.js). Exit 77 (skipped) without Emscripten,
# Chromium or Node (./dev.sh test installs them).
#   run_web.sh PELUNE_TESTS SOURCE_DIR SITE_DIR
set -euo pipefail
for tool in em++ chromium node; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
SOURCE=$(realpath "$2")
"$SOURCE/web/build.sh" "$3" >/dev/null
FRAMES=$(mktemp -d /tmp/pelune-web-frames-XXXXXX)
trap 'rm -rf "$FRAMES"' EXIT
PELUNE_WEB_FRAMES=$FRAMES "$1" --gtest_filter=WebReference.Frames >/dev/null
node "$SOURCE/tests/web/web_e2e.js" "$(realpath "$3")" "$FRAMES" chromium
