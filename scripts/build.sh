#!/usr/bin/env bash
# Configures and builds into the given folder (default build/) with any extra CMake options.
# Usage: scripts/build.sh [BUILD_DIR] [-DOPTION=VALUE...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
