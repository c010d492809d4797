#!/usr/bin/env bash
# Builds everything and runs the whole suite: a normal build, an ASan+UBSan build, and the
# fuzzers for a bounded time each. Needs no display, GPU or sound card.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

jobs=$(nproc)
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

echo "== build and test ==" >&2
cmake -S . -B build -DDEMO_WERROR=ON -DDEMO_TESTS=ON -DDEMO_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer ==" >&2
cmake -S . -B build-asan -DDEMO_WERROR=ON -DDEMO_SANITIZE=ON -DDEMO_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
# The GL driver and SDL leak on purpose at exit; our own leaks are found by the fuzzers' runs.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE slow

echo "== fuzzers ==" >&2
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DDEMO_FUZZ=ON -DDEMO_TESTS=OFF -DDEMO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure -L fuzz
echo "all tests passed" >&2
