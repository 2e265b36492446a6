#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# ./dev.sh run [OPTIONS] installs what is missing, builds and starts the game
#                  (build/pelune, with the data of this checkout)
# ./dev.sh test    installs what is missing, builds and runs every test, then
#                  again in a sanitizer build (build-asan)
# ./dev.sh goldens writes the golden frames in tests/golden afresh from the
#                  data of this checkout, after an intended change to the art or
#                  the drawing (say why in the commit that changes them)
# ./dev.sh package the Debian package, build-deb/pelune_<version>_amd64.deb
# ./dev.sh bench   the frame-cost benchmark, then start-up, memory, CPU and pacing
#                  of the real program beside a minimal SDL program under Xvfb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake make pkg-config
          libsdl1.2-compat-dev libsdl-mixer1.2-dev libsdl-image1.2-dev
          libgtest-dev libbenchmark-dev libpng-dev libdeflate-dev libsndfile1-dev libvorbis-dev)
TEST_PACKAGES=(xvfb xdotool x11-utils imagemagick valgrind desktop-file-utils appstream dpkg-dev file openbox)

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
    # The game alone, in the folder the tests use: its options are left as
    # they are, so a later ./dev.sh test still builds and runs every test.
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target pelune -j"$(nproc)"
    shift
    exec build/pelune "$@"
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
goldens)
    install_missing "${PACKAGES[@]}"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target pelune_tests -j"$(nproc)"
    rm -f tests/golden/*.png  # a frame taken out of the table leaves no stale picture
    (cd build/tests && PELUNE_GOLDEN_WRITE=1 ./pelune_tests --gtest_filter='Golden.*' --gtest_brief=1)
    git status --short tests/golden
    ;;
package)
    install_missing "${PACKAGES[@]}" dpkg-dev file
    # A build of its own, configured for /usr, so that the man page and the
    # fall-back data directory name the package's places.
    build build-deb -DCMAKE_INSTALL_PREFIX=/usr -DPELUNE_TESTS=OFF -DPELUNE_BENCH=OFF -DPELUNE_TOOLS=OFF
    (cd build-deb && cpack -G DEB)
    ls build-deb/pelune_*.deb
    ;;
bench)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    build/bench/pelune_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
    bench/measure_run.sh build/pelune . 5
    bench/measure_input.sh build/pelune build/bench/libpelune_input_probe.so .
    ;;
*)
    echo "usage: $0 run|test|goldens|package|bench" >&2
    exit 2
    ;;
esac
