#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The sheet loader's fuzz run: builds tools/fuzz_sheets.cpp with clang's
# libFuzzer, AddressSanitizer and UBSan, makes a corpus of small PNGs of every
# kind (cut from the game's own sheets with ImageMagick) and fuzzes for
# SECONDS (default 600). Needs clang and imagemagick; not part of the tests.
#   tools/fuzz_sheets.sh [SECONDS] [WORK_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${1:-600}
WORK=${2:-/tmp/pelune-fuzz}
mkdir -p "$WORK/corpus" "$WORK/run"
# shellcheck disable=SC2046
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -DPELUNE_BUILD_DIR='""' -DPELUNE_CHECKOUT_DIR='""' -DPELUNE_EXE_TO_DATA='""' \
    -DPELUNE_INSTALL_DATA_DIR='""' -I"$ROOT/src" "$ROOT/tools/fuzz_sheets.cpp" "$ROOT/src/main_paths.cpp" \
    -pthread $(pkg-config --cflags --libs sdl SDL_image libpng libdeflate) -o "$WORK/fuzz_sheets"
# One seed per colour type, depth and interlacing the loader meets, at 12 to 24 pixels a side.
i=0
for crop in 12x12+40+40 24x24+200+100 17x13+600+20; do
    for kind in "|PNG32:" "|PNG24:" "|PNG8:" "|PNG64:" "|PNG48:" "-colorspace Gray|PNG:" \
        "-interlace PNG|PNG32:" "-depth 4 -colors 9|PNG8:" "-colorspace Gray -depth 1|PNG:"; do
        i=$((i + 1))
        # shellcheck disable=SC2086
        convert "$ROOT/data/gfx/anim.png" -crop "$crop" +repage ${kind%|*} "${kind#*|}$WORK/corpus/seed$i.png"
    done
done
cd "$WORK/run"
ASAN_OPTIONS=detect_leaks=0 "$WORK/fuzz_sheets" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 \
    -print_final_stats=1 "$WORK/corpus"
