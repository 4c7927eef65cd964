#!/usr/bin/env bash
# Fails on any include or library link that points up or sideways between the layers of src/:
#
#   core  ->  metadata, catalogue (side by side, neither includes the other)  ->  workflows  ->  gui, cli
#
# A file may include its own layer and the layers below it. Tests may include the layer they test
# and those below it, plus tests/support; tests/install and tests/scripts, which run programs and
# scripts, tests/support only. Only the workflows, and the gui and cli that implement it,
# may talk to the user port. Usage: scripts/check-layers.sh [ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# The layers each layer may include (its own included).
allowed() {
  case $1 in
    core) echo "core" ;;
    metadata) echo "core metadata" ;;
    catalogue) echo "core catalogue" ;;
    workflows) echo "core metadata catalogue workflows" ;;
    gui) echo "core metadata catalogue workflows gui" ;;
    cli) echo "core metadata catalogue workflows cli" ;;
    *) return 1 ;;
  esac
}
# The libraries each layer's CMake file may link.
allowed_libraries() {
  case $1 in
    core) echo "tessarine_core" ;;
    metadata) echo "tessarine_core tessarine_metadata" ;;
    catalogue) echo "tessarine_core tessarine_catalogue" ;;
    workflows) echo "tessarine_metadata tessarine_catalogue tessarine_workflows" ;;
    gui) echo "tessarine_workflows tessarine_gui" ;;
    cli) echo "tessarine_workflows" ;;
  esac
}
layers="core metadata catalogue workflows gui cli"

failures=0
fail() {
  echo "check-layers: $*" >&2
  failures=$((failures + 1))
}

for dir in src tests; do
  for layer_dir in "$dir"/*/; do
    layer=$(basename "$layer_dir")
    [ "$layer" = support ] || [ "$layer" = fuzz ] && continue
    if [ "$dir" = tests ] && { [ "$layer" = install ] || [ "$layer" = scripts ]; }; then
      ok=""  # they run the installed programs and the scripts: tests/support only
    elif ! ok=$(allowed "$layer"); then
      fail "$layer_dir is not a layer (one of: $layers)"
      continue
    fi
    [ "$dir" = tests ] && ok="$ok support"
    while IFS= read -r -d '' file; do
      while IFS=: read -r line target; do
        target_layer=${target%%/*}
        [ "$target_layer" = "$target" ] && continue  # a file of the same folder
        case " $ok " in
          *" $target_layer "*) ;;
          *) fail "$file:$line includes $target: $layer may include only: $ok" ;;
        esac
        if [ "$target" = core/UserPort.h ] && [ "$dir" = src ]; then
          case $layer in
            core | workflows | gui | cli) ;;
            *) fail "$file:$line: only the workflows talk to the user port" ;;
          esac
        fi
      done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" |
        sed -E 's/^([0-9]+):.*"([^"]+)"/\1:\2/')
    done < <(find "$layer_dir" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) -print0)
  done
done

# Library links in src/: only downward.
for layer in $layers; do
  cmake_file="src/$layer/CMakeLists.txt"
  [ -f "$cmake_file" ] || { fail "$cmake_file is missing"; continue; }
  ok=$(allowed_libraries "$layer")
  for library in $(grep -o -E 'tessarine_[a-z_]+' "$cmake_file" | sort -u); do
    [ "$library" = tessarine_warnings ] && continue
    case " $ok " in
      *" $library "*) ;;
      *) fail "$cmake_file links $library: $layer may link only: $ok" ;;
    esac
  done
done

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures violation(s)" >&2
  exit 1
fi
echo "check-layers: every include and link points down ($layers)"
