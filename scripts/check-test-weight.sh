#!/usr/bin/env bash
# Keeps the tests lean: counts the non-blank, non-comment lines of the C++ files (.cpp .h .hpp .cc)
# under src/ and tests/, prints both counts and their ratio, and fails when the tests exceed 0.40
# of the code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
limit=${TESSARINE_TEST_WEIGHT_LIMIT:-0.40}

count() {
  find "$root/$1" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print0 |
    xargs -0 cat | awk '
      { line = $0; sub(/^[ \t]+/, "", line) }
      inBlock { if (line ~ /\*\//) inBlock = 0; next }
      line == "" || line ~ /^\/\// { next }
      line ~ /^\/\*/ { if (line !~ /\*\//) inBlock = 1; next }
      { n++ }
      END { print n + 0 }'
}

code=$(count src)
tests=$(count tests)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')
echo "check-test-weight: code $code lines, tests $tests lines, ratio $ratio (at most $limit)"
if awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r > l) }'; then
  echo "check-test-weight: the tests outweigh $limit of the code: make them denser (tables, one rule once)" >&2
  exit 1
fi
