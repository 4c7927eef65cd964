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
# A compiler cache that names files relative to the checkout: a fresh clone elsewhere on the machine
# builds from what the last one compiled.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "${options[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
