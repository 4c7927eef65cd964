#!/usr/bin/env bash
# The test command: installs what is needed, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test (among them, the Debian package is built and tried
# from a scratch root). On Debian 12, as root or as a user who may sudo: only apt-get is elevated.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-test"
# Each step's end, in seconds since the start: where the command's time goes.
took() { echo "test: $1 done at ${SECONDS} s" >&2; }

"$root/scripts/install-deps.sh"
took "installing"
# Every include and library link points down the layers, and the tests stay lean.
"$root/scripts/check-layers.sh"
# The tests' weight against the code's: at most 0.40.
"$root/scripts/check-test-weight.sh"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DTESSARINE_SANITIZE=ON
took "building"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

# PostgreSQL and MariaDB on loopback for the database tests, stopped on the way out. Here a server
# that does not start is a failure (TESSARINE_REQUIRE_SERVERS=0 lets its tests skip instead).
export TESSARINE_REQUIRE_SERVERS=${TESSARINE_REQUIRE_SERVERS:-1}
databases=$(mktemp -d /tmp/tessarine-databases.XXXXXX)
galera=$(mktemp -d /tmp/tessarine-galera.XXXXXX)
trap '"$root/scripts/stop-galera-cluster.sh" "$galera"; "$root/scripts/stop-test-databases.sh" "$databases"' EXIT
"$root/scripts/start-test-databases.sh" "$databases"
# A three-node Galera cluster for the scale-out tests, when Galera is installed. Its data sources
# join the others in the one odbc.ini the tests read.
if dpkg-query -W -f='${Status}' galera-4 2>/dev/null | grep -q 'install ok installed'; then
  if "$root/scripts/start-galera-cluster.sh" "$galera"; then
    cat "$galera/odbc.ini" >>"$databases/odbc.ini"
    # shellcheck source=/dev/null
    source "$galera/env.sh"
  elif [ "$TESSARINE_REQUIRE_SERVERS" = "1" ]; then
    echo "test: the Galera cluster did not start (TESSARINE_REQUIRE_SERVERS=0 lets its tests skip)" >&2
    exit 1
  fi
fi
# shellcheck source=/dev/null
source "$databases/env.sh"
took "starting the servers"
ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$(nproc)"
took "the tests"


# A short run of the fuzzer over the metadata reader (clang, libFuzzer, ASan and UBSan).
"$root/scripts/fuzz.sh" smoke
took "the fuzz smoke"
