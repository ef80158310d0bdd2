#!/usr/bin/env bash
# Builds the screen saver (build/win) and, with --tests, every test program:
# the Wine tests (build/win), the native sanitizer tests (build/native) and the
# fuzz targets (build/fuzz). VELKARO_BUILD_DIR names another folder than build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

B="${VELKARO_BUILD_DIR:-build}"
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON
jobs="$(nproc)"

cmake -S . -B "$B/win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVELKARO_BUILD_TESTS=$tests >/dev/null
cmake --build "$B/win" -j "$jobs"

if [ $tests = ON ]; then
  cmake -S . -B "$B/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$B/native" -j "$jobs"
  CC=clang CXX=clang++ cmake -S . -B "$B/fuzz" -DVELKARO_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$B/fuzz" -j "$jobs"
fi
