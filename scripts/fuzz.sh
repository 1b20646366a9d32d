#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# each in turn for SECONDS (default 600) from its seed corpus in fuzz/corpus/, with its
# dictionary, one job at a time. Prints for each target the inputs run, the rate and the
# peak resident size; a target that fails leaves the input that broke it in the build
# folder and makes the script fail once all have run.
#
#   ./scripts/fuzz.sh [SECONDS]
#
# LUMIVANE_FUZZ_BUILD names the build folder (default build-fuzz), LUMIVANE_FUZZ_TARGETS
# the targets to run (default all of them, e.g. "help_file profile_store"). The inputs each
# run finds are kept in <build folder>/corpus/<target>/ and are where the next run starts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi
dir="${LUMIVANE_FUZZ_BUILD:-build-fuzz}"
targets="${LUMIVANE_FUZZ_TARGETS:-sbm star_table help_file profile_store}"

executables=""
for target in $targets; do
  if [ ! -d "fuzz/corpus/$target" ]; then
    echo "$0: no fuzz target $target (no fuzz/corpus/$target)" >&2
    exit 2
  fi
  executables+=" ${target}_fuzzer"
done
LUMIVANE_TARGET="$executables" CC=clang CXX=clang++ \
  ./scripts/build.sh "$dir" -DLUMIVANE_FUZZ=ON -DLUMIVANE_WITH_QT=OFF -DLUMIVANE_BENCHMARKS=OFF

final_stat() {  # the value of one of libFuzzer's final statistics in a log
  sed -n "s/^stat::$1: *//p" "$2" | tail -n 1
}

failed=""
for target in $targets; do
  corpus="$dir/corpus/$target"
  log="$dir/$target.log"
  mkdir -p "$corpus"
  dictionary=()
  if [ -f "fuzz/$target.dict" ]; then
    dictionary=(-dict="fuzz/$target.dict")
  fi
  echo "== Fuzzing $target for $seconds s"
  status=0
  "$dir/bin/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "${dictionary[@]}" -artifact_prefix="$dir/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "$target: FAILED (status $status); the whole output is in $log, the input in $dir/$target-*"
    failed+=" $target"
    continue
  fi
  echo "$target: $(final_stat number_of_executed_units "$log") inputs, $(final_stat average_exec_per_sec "$log") a second," \
    "peak resident size $(final_stat peak_rss_mb "$log") MB, $(ls "$corpus" | wc -l) inputs in the corpus"
done

if [ -n "$failed" ]; then
  echo "Fuzzing failed:$failed" >&2
  exit 1
fi
