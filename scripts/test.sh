#!/usr/bin/env bash
# Sets up the machine, builds Lumivane and runs the whole test suite twice: once as built
# for use (including the desktop test, which starts its own X server, window manager and
# tray host), and once built with AddressSanitizer and UndefinedBehaviorSanitizer, where
# any report fails the run; then the picture reader and the star table's reader are fuzzed.
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

echo "== Fuzz the picture reader for a minute and the star table's reader for half a minute"
LUMIVANE_TARGET="sbm_fuzzer star_table_fuzzer" CC=clang CXX=clang++ ./scripts/build.sh build-fuzz -DLUMIVANE_FUZZ=ON -DLUMIVANE_WITH_QT=OFF -DLUMIVANE_BENCHMARKS=OFF
mkdir -p build-fuzz/sbm-corpus build-fuzz/star-table-corpus
./build-fuzz/bin/sbm_fuzzer -max_total_time=60 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ build-fuzz/sbm-corpus fuzz/corpus/sbm
./build-fuzz/bin/star_table_fuzzer -max_total_time=30 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ build-fuzz/star-table-corpus fuzz/corpus/startable
echo "== All tests passed"
