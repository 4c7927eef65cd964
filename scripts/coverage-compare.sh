#!/usr/bin/env bash
# Compares the line coverage of src/ between two coverage builds (configured with --coverage and
# their test suite run): for each source file, the lines covered in the first build and in the
# second, and the difference; a file that lost more than LIMIT covered lines (3 unless
# TESSARINE_COVERAGE_LOSS_LIMIT says otherwise) is flagged, and the script then fails.
#
#   scripts/coverage-compare.sh BASE_BUILD NEW_BUILD
#
# Each build's source tree is the one its CMakeCache.txt names, so the two may be different
# checkouts. Needs gcovr and python3.
set -euo pipefail
base=${1:?usage: coverage-compare.sh BASE_BUILD NEW_BUILD}
new=${2:?usage: coverage-compare.sh BASE_BUILD NEW_BUILD}
limit=${TESSARINE_COVERAGE_LOSS_LIMIT:-3}
command -v gcovr >/dev/null || { echo "coverage-compare: needs gcovr (scripts/install-deps.sh installs it)" >&2; exit 2; }
scratch=$(mktemp -d /tmp/tessarine-coverage.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# The per-file summary of one build, as JSON.
summary() {
  local build source
  build=$(cd "$1" && pwd)
  source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
  [ -d "$source/src" ] || { echo "coverage-compare: no source tree for $build" >&2; exit 2; }
  # Threads of a test may leave a branch count negative in gcov's output: such lines are skipped
  # (the line counts are sound).
  gcovr -r "$source" --filter "$source/src/" --gcov-ignore-parse-errors --json-summary "$2" "$build" >/dev/null \
    2>"$2.log"
  if grep -q "parse error" "$2.log"; then
    echo "coverage-compare: $build: gcovr skipped lines of gcov's output it could not parse" >&2
  fi
}
summary "$base" "$scratch/base.json"
summary "$new" "$scratch/new.json"

python3 - "$scratch/base.json" "$scratch/new.json" "$limit" <<'PY'
import json, sys

def covered(path):
    return {f["filename"]: (f["line_covered"], f["line_total"]) for f in json.load(open(path))["files"]}

base, new, limit = covered(sys.argv[1]), covered(sys.argv[2]), int(sys.argv[3])
flagged = 0
print(f"{'file':60} {'before':>7} {'after':>7} {'change':>7}")
for name in sorted(set(base) | set(new)):
    before = base.get(name, (0, 0))[0]
    after = new.get(name, (0, 0))[0]
    mark = ""
    if before - after > limit:
        mark = "  <- lost more than %d covered lines" % limit
        flagged += 1
    if before != after or mark:
        print(f"{name:60} {before:7} {after:7} {after - before:+7}{mark}")
total_before = sum(c for c, _ in base.values())
total_after = sum(c for c, _ in new.values())
print(f"{'all of src/':60} {total_before:7} {total_after:7} {total_after - total_before:+7}")
unchanged = len(set(base) & set(new)) - sum(1 for n in set(base) & set(new) if base[n][0] != new[n][0])
print(f"coverage-compare: {unchanged} files unchanged, {flagged} flagged")
sys.exit(1 if flagged else 0)
PY
