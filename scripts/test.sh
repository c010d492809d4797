#!/usr/bin/env bash
# Builds three times and runs in each build what fits it; what a pass leaves out goes by the tests'
# labels (tests/CMakeLists.txt). Needs no display, GPU or sound card. build/ is left to
# scripts/play.sh and to whoever installs from it: its options are not the tests', and sharing it
# would rebuild everything each time the other script ran.
#   build-test/  normal build, -Werror       everything
#   build-asan/  ASan + UBSan build          all but the slow, realtime and layering tests
#   build-fuzz/  clang, the fuzz targets     the fuzz tests: each fuzzer for a bounded time
#   build-windows/  MinGW-w64, under Wine       scripts/test-windows.sh
# Each pass runs with TMPDIR a fresh folder in its build folder, and fails listing whatever a
# test left there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

jobs=$(nproc)
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

# run_tests BUILD_DIR [ctest arguments...]
run_tests() {
  local build=$1
  shift
  local scratch="$PWD/$build/test-tmp"
  rm -rf "$scratch"
  mkdir -p "$scratch"
  # --progress: one updating line on a terminal instead of one per test (hundreds a pass).
  TMPDIR="$scratch" ctest --test-dir "$build" --progress --output-on-failure -j "$jobs" "$@"
  if [ -n "$(ls -A "$scratch")" ]; then
    echo "test.sh: the tests left these in the temp folder $scratch:" >&2
    (cd "$scratch" && find . -mindepth 1 | sort) >&2
    exit 1
  fi
  rmdir "$scratch"
}

echo "== build and test ==" >&2
cmake -S . -B build-test -DDEMO_WERROR=ON -DDEMO_TESTS=ON -DDEMO_BENCH=ON >/dev/null
cmake --build build-test -j "$jobs"
run_tests build-test

echo "== AddressSanitizer + UndefinedBehaviorSanitizer ==" >&2
cmake -S . -B build-asan -DDEMO_WERROR=ON -DDEMO_SANITIZE=ON -DDEMO_TESTS=ON -DDEMO_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
# Left out: the slow tests (the normal pass has run them; a sanitizer makes them minutes),
# the ones that wait on the real-time music clock (a sanitizer's slowdown only makes them
# flaky) and the include check (the same sources). The quick tests that run tool binaries stay
# in: those binaries read files and command lines, where the sanitizers find most.
# The GL driver and SDL leak on purpose at exit; our own leaks are found by the fuzzers' runs.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  run_tests build-asan -LE 'slow|realtime|layering'

echo "== fuzzers ==" >&2
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DDEMO_FUZZ=ON -DDEMO_TESTS=OFF -DDEMO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_lwo fuzz_jpeg fuzz_lws
run_tests build-fuzz -L fuzz

echo "== Windows, under Wine ==" >&2
scripts/test-windows.sh
echo "all tests passed" >&2
