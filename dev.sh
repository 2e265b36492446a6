#!/usr/bin/env bash
# ./dev.sh run   installs what is missing, builds and starts the game
# ./dev.sh test  installs what is missing, builds and runs every test, then
#                again in a sanitizer build (build-asan)
# ./dev.sh bench the frame-cost benchmark, then start-up, memory, CPU and pacing
#                of the real program beside a minimal SDL program under Xvfb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake make pkg-config
          libsdl1.2-compat-dev libsdl-mixer1.2-dev libsdl-image1.2-dev
          libgtest-dev libbenchmark-dev libpng-dev libdeflate-dev libsndfile1-dev libvorbis-dev)
TEST_PACKAGES=(xvfb xdotool x11-utils imagemagick valgrind)

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() {  # build DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

case "${1:-}" in
run)
    install_missing "${PACKAGES[@]}"
    build build -DPELUNE_TESTS=OFF -DPELUNE_BENCH=OFF -DPELUNE_TOOLS=OFF
    exec ./pelune
    ;;
test)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    (cd build && ctest --output-on-failure -j"$(nproc)")
    # Again under AddressSanitizer and UBSan, with the long property run; this
    # build's pelune stays in build-asan.
    build build-asan -DPELUNE_SANITIZE=ON -DPELUNE_TOOLS=OFF -DPELUNE_BENCH=OFF
    (cd build-asan && ctest --output-on-failure -j"$(nproc)")
    ;;
bench)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    build/bench/pelune_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
    # The game beside the floor program, 5 runs each; the game is wherever the
    # build put it.
    game=build/pelune
    [ -x "$game" ] || game=./pelune
    bench/measure_run.sh "$game" . 5
    ;;
*)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
