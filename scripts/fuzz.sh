#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it.
# Usage: scripts/fuzz.sh smoke      a short run (part of the test command)
#        scripts/fuzz.sh [SECONDS]  a longer run, corpus kept in fuzz-corpus/
# Both start from the seeds in tests/fuzz/seeds (a file of each shape the reader must survive, each
# ending in the three bytes that choose how the fuzzer reads it: 0 for the classic rules (1 for the
# modern ones, the modern-* seeds), 0 for the smallest window, then its kind, 0 JPEG, 1 TIFF, 2 PSD,
# 3 other) and from the shared sample files when they are there. No input may make the reader ask
# for more than 128 MB at once: a length a file claims is never allocated as it stands.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
mode=${1:-600}
# shellcheck source=scripts/compiler-cache.sh
source "$root/scripts/compiler-cache.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSARINE_FUZZ=ON -DTESSARINE_BUILD_TESTS=OFF >/dev/null
flock /tmp/tessarine-build.lock cmake --build "$build" --target fuzz_read_image_metadata

corpus="$root/fuzz-corpus"
seconds=$mode
if [ "$mode" = smoke ]; then
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus"' EXIT
  seconds=30
fi
mkdir -p "$corpus"
seeds=("$root/tests/fuzz/seeds")
[ -d "$root/../shared/corpus" ] && seeds+=("$root/../shared/corpus")
"$build/tests/fuzz/fuzz_read_image_metadata" -max_total_time="$seconds" -max_len=65536 -timeout=1 -malloc_limit_mb=128 \
  -dict="$root/tests/fuzz/metadata.dict" -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | tail -n 12
