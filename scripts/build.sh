#!/usr/bin/env bash
# Configures and builds Lumivane into build/ (or the folder given as $1, with any further
# arguments passed to CMake).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
# LUMIVANE_TARGET may name several targets, separated by spaces.
# shellcheck disable=SC2086
cmake --build "$dir" -j2 ${LUMIVANE_TARGET:+--target $LUMIVANE_TARGET}
