#!/usr/bin/env bash
# Sets up the machine, builds Lumivane and runs the whole test suite twice: once as built
# for use (including the desktop test, which starts its own X server, window manager and
# tray host), and once built with AddressSanitizer and UndefinedBehaviorSanitizer, where
# any report fails the run; then each reader of outside data is fuzzed for half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

echo "== Build and test"
./scripts/build.sh build
ctest --test-dir build --output-on-failure -j2

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
./scripts/build.sh build-sanitize -DLUMIVANE_SANITIZE=ON -DLUMIVANE_WITH_QT=OFF -DLUMIVANE_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2

echo "== Fuzz each reader of outside data for half a minute"
./scripts/fuzz.sh 30
echo "== All tests passed"
