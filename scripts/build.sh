#!/usr/bin/env bash
# Configures and builds into the given folder (default build/) with any extra CMake options; after
# "--", only the targets named there.
# Usage: scripts/build.sh [BUILD_DIR] [-DOPTION=VALUE...] [-- TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options+=("$1")
  shift
done
[ $# -gt 0 ] && shift
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
# shellcheck source=scripts/compiler-cache.sh
source "$root/scripts/compiler-cache.sh"
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "${options[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
