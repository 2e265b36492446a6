#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The web build (web/build.sh, into SITE_DIR) played in headless Chromium beside
# the desktop's frames. Exit 77 (skipped) without Emscripten, Chromium or Node.
#   run_web.sh PELUNE_TESTS SOURCE_DIR SITE_DIR
set -euo pipefail
for tool in em++ chromium node; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (dev.sh test installs it)"; exit 77; }
done
"$2/web/build.sh" "$3" >/dev/null
FRAMES=$(mktemp -d /tmp/pelune-web-frames-XXXXXX)
trap 'rm -rf "$FRAMES"' EXIT
PELUNE_WEB_FRAMES=$FRAMES "$1" --gtest_filter=WebReference.Frames >/dev/null
node "$2/tests/web/web_e2e.js" "$3" "$FRAMES" chromium
