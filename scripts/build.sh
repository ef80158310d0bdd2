#!/usr/bin/env bash
# Builds the screen saver (build/win) and, with --tests, every test program:
# the Wine tests (build/win), the native sanitizer tests (build/native) and the
# fuzz targets (build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON
jobs="$(nproc)"

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVELKARO_BUILD_TESTS=$tests >/dev/null
cmake --build build/win -j "$jobs"

if [ $tests = ON ]; then
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build/native -j "$jobs"
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -DVELKARO_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build/fuzz -j "$jobs"
fi
