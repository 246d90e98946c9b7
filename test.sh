#!/usr/bin/env bash
# Checks that the source folders depend on each other one way only, builds
# Velmo and runs every test; builds the browser version and tests it in
# headless Chromium; runs the tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then once more as a Windows build under wine;
# makes the release packages and uses them as a player would, and ends with
# short runs of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")"
# Tests that run Velmo in their own process reach its wait for a key, which
# waits whenever standard input is a terminal: give every step the null device.
exec < /dev/null
bash scripts/ensure-packages.sh
# Every include stays on its folder's floor or goes down.
bash scripts/check-floors.sh

jobs="$(nproc)"
# The benchmarks are built (not run) with the tests, so that they keep building.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON \
  -DVELMO_BUILD_BENCHMARKS=ON > /dev/null
bash scripts/check-library-graph.sh build
cmake --build build -j"$jobs"
ctest --test-dir build --no-tests=error --output-on-failure -j"$jobs"

# Velmo.html, built with emscripten and tested against the native build.
bash scripts/test-web.sh

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELMO_SANITIZE=ON -DVELMO_BUILD_TESTS=ON > /dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --no-tests=error --output-on-failure -j"$jobs"

# The Windows tests and the package check share one wine session.
source scripts/wine-session.sh
trap stop_wine_session EXIT
trap 'exit 1' INT TERM HUP
start_wine_session
bash scripts/test-windows.sh
bash scripts/test-package.sh
stop_wine_session

bash scripts/fuzz-smoke.sh
