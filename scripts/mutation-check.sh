#!/usr/bin/env bash
# Whether the tests catch the faults of scripts/mutations.txt: each mutation is applied alone in a
# scratch worktree of the given commit (HEAD when none), the test programs it names are built
# (through the shared build lock, with ccache) and run, and the mutation is "killed" when one of
# them fails, "survived" when all pass. Programs that fail before any mutation are reported and not
# counted. Database servers are those of the caller's environment (scripts/start-test-databases.sh).
#
#   scripts/mutation-check.sh [commit] [mutation numbers...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=${1:-HEAD}
shift || true
list="$root/scripts/mutations.txt"
scratch=$(mktemp -d /tmp/tessarine-mutants.XXXXXX)
tree="$scratch/tree"
build="$tree/build"
results="$scratch/results.txt"

cleanup() { git -C "$root" worktree remove --force "$tree" >/dev/null 2>&1 || true; }
trap cleanup EXIT
git -C "$root" worktree add --detach "$tree" "$commit" >/dev/null
# The mutations are those of this checkout, whatever the commit tried.
cp "$list" "$scratch/mutations.txt"

export CCACHE_BASEDIR="$tree" CCACHE_NOHASHDIR=1
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache >"$scratch/configure.log"

export QT_QPA_PLATFORM=offscreen TESSARINE_SOURCE_DIR="$tree" TESSARINE_BINARY_DIR="$build"
export XDG_DATA_HOME="$build/test-data-home" TESSARINE_REQUIRE_SERVERS=${TESSARINE_REQUIRE_SERVERS:-0}

build_targets() { flock /tmp/tessarine-build.lock cmake --build "$build" -j2 --target "$@" >"$scratch/build.log" 2>&1; }

# Runs one test program; 0 when it passed.
run_program() {
  local program
  program=$(find "$build/tests" -type f -name "$1" -perm -u+x | head -n 1)
  [ -n "$program" ] || return 0
  (cd "$(dirname "$program")" && timeout 900 "$program" >"$scratch/run-$1.log" 2>&1)
}

# Programs named in the list that this commit builds.
mapfile -t programs < <(grep -v '^#' "$scratch/mutations.txt" | cut -f4 | tr ' ' '\n' | sort -u)
cmake --build "$build" --target help >"$scratch/targets.txt"
known=()
for program in "${programs[@]}"; do
  if grep -q "^$program: " "$scratch/targets.txt"; then known+=("$program"); fi
done
echo "mutation-check: building ${known[*]} at $(git -C "$tree" rev-parse --short HEAD)"
build_targets "${known[@]}"
broken=()
for program in "${known[@]}"; do
  run_program "$program" || broken+=("$program")
done
[ ${#broken[@]} -eq 0 ] || echo "mutation-check: failing before any mutation, not counted: ${broken[*]}"

number=0
while IFS=$'\t' read -r file original replacement targets what; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  number=$((number + 1))
  if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$number"; then continue; fi
  if ! python3 - "$tree/$file" "$original" "$replacement" <<'PY'; then
import sys
path, original, replacement = sys.argv[1], *(bytes(s, "utf-8").decode("unicode_escape") for s in sys.argv[2:4])
text = open(path).read()
if text.count(original) != 1:
    sys.exit(1)
open(path, "w").write(text.replace(original, replacement))
PY
    printf '%2d  not-applied  %s: %s\n' "$number" "$file" "$what" | tee -a "$results"
    continue
  fi
  verdict=survived
  run=()
  for program in $targets; do
    if printf '%s\n' "${known[@]}" | grep -qx "$program" && ! printf '%s\n' "${broken[@]}" | grep -qx "$program"; then
      run+=("$program")
    fi
  done
  if [ ${#run[@]} -eq 0 ]; then
    verdict=no-tests
  elif ! build_targets "${run[@]}"; then
    verdict=build-failed
  else
    for program in "${run[@]}"; do
      if ! run_program "$program"; then
        verdict="killed($program)"
        break
      fi
    done
  fi
  git -C "$tree" checkout -- "$file"
  printf '%2d  %-40s %s: %s\n' "$number" "$verdict" "$file" "$what" | tee -a "$results"
done <"$scratch/mutations.txt"

killed=$(grep -c ' killed' "$results" || true)
echo "mutation-check: $killed of $number killed (results in $results)"
cp "$results" "$root/build/mutation-results-$(git -C "$tree" rev-parse --short HEAD).txt" 2>/dev/null || true
