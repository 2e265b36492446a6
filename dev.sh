#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# ./dev.sh run [OPTIONS] installs what is missing, builds and starts the game
#                  (build/pelune, with the data of this checkout)
# ./dev.sh test    installs what is missing, builds and runs every test, then
#                  again in a sanitizer build (build-asan)
# ./dev.sh goldens writes the golden frames in tests/golden afresh from the
#                  data of this checkout, after an intended change to the art or
#                  the drawing (say why in the commit that changes them)
# ./dev.sh package the Debian package, build-deb/pelune_<version>_amd64.deb, the
#                  same bytes wherever and whenever it is built from one commit
# ./dev.sh dist [DIR] the source release of the last commit, DIR/pelune-<version>.tar.gz
# ./dev.sh web     installs Emscripten if missing and builds the game as a static
#                  web site in build-web/ (serve it: python3 -m http.server -d build-web)
# ./dev.sh bench   the frame-cost benchmark, then start-up, memory, CPU and pacing
#                  of the real program beside a minimal SDL program under Xvfb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake make pkg-config
          libsdl1.2-compat-dev libsdl-mixer1.2-dev libsdl-image1.2-dev
          libgtest-dev libbenchmark-dev libpng-dev libdeflate-dev libsndfile1-dev libvorbis-dev)
WEB_PACKAGES=(emscripten)
TEST_PACKAGES=(xvfb xdotool x11-utils imagemagick valgrind desktop-file-utils appstream dpkg-dev file openbox
               lintian git "${WEB_PACKAGES[@]}" chromium)

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

# Whether this folder is a git checkout's top (a source tarball is not).
in_git() { [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$PWD" ]; }

# The last commit's time, or in a source tarball the one git archive wrote in.
source_date() {
    if in_git; then
        git log -1 --format=%ct
    else
        cat dist/source-date
    fi
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
    # Every date in the package is the last commit's (a source tarball has it
    # written in by git archive), so the package is the same bytes whenever
    # and wherever it is built; dpkg-buildflags adds Debian's hardening and
    # -ffile-prefix-map, which keeps the folders out of the debug information
    # that the build id is computed over.
    SOURCE_DATE_EPOCH=$(source_date)
    export SOURCE_DATE_EPOCH DEB_BUILD_MAINT_OPTIONS=hardening=+all
    # ccache's base_dir would turn some source paths relative, and the debug
    # information (hashed into the build id) would differ from a build without it.
    export CCACHE_BASEDIR=
    # A build of its own, from scratch, configured for /usr, so that the man
    # page and the fall-back data directory name the package's places.
    rm -rf build-deb
    build build-deb -DCMAKE_INSTALL_PREFIX=/usr -DPELUNE_DEB=ON \
        -DPELUNE_TESTS=OFF -DPELUNE_BENCH=OFF -DPELUNE_TOOLS=OFF \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
    (cd build-deb && cpack -G DEB >/dev/null)
    ls build-deb/pelune_*.deb
    ;;
dist)
    # The committed tree as it is; git archive dates every file by the commit.
    in_git || { echo "dist: not a git checkout" >&2; exit 1; }
    version=$(sed -n 's/^project(Pelune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    git -c tar.umask=0022 archive --format=tar --prefix="pelune-$version/" HEAD | gzip -9n >"${2:-.}/pelune-$version.tar.gz"
    ls "${2:-.}/pelune-$version.tar.gz"
    ;;
web)
    install_missing "${WEB_PACKAGES[@]}"
    web/build.sh build-web
    ;;
bench)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    build/bench/pelune_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
    bench/measure_run.sh build/pelune . 5
    bench/measure_input.sh build/pelune build/bench/libpelune_input_probe.so .
    ;;
*)
    echo "usage: $0 run|test|goldens|package|dist|web|bench" >&2
    exit 2
    ;;
esac
