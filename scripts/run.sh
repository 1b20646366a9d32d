#!/usr/bin/env bash
# Sets up the machine, builds Lumivane and starts it on the current desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh build
exec ./build/bin/Lumivane "$@"
