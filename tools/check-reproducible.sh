#!/usr/bin/env bash
# Check that the release package is rebuilt byte for byte: brings the program
# in BUILD_DIR up to date and packs it (tools/package.sh), configures the same sources once more in a
# temporary folder with the same toolchain, builds only the program there,
# packs that and compares the two zips byte for byte. Prints both SHA-256
# sums; exits 1 when they differ.
#
#   check-reproducible.sh BUILD_DIR
#
# tools/test.sh runs it after the build.
set -euo pipefail
if [[ $# -ne 1 ]]; then
  echo "usage: check-reproducible.sh BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$tools")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
toolchain=$(cache_value CMAKE_TOOLCHAIN_FILE)
build_type=$(cache_value CMAKE_BUILD_TYPE)

run() {
  local log=$work/log
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    echo "FAILED: $*"
    exit 1
  fi
}
# Configured again, so both trees take the time of the commit checked out now.
run cmake -S "$root" -B "$build"
run cmake --build "$build" --target korvane --parallel "$(nproc)"
run bash "$tools/package.sh" "$build" "$work/first"
# The second tree needs the program only: no tests, no GoogleTest.
run cmake -S "$root" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE="$build_type" \
  -DKORVANE_BUILD_TESTS=OFF
run cmake --build "$work/build" --target korvane --parallel "$(nproc)"
run bash "$tools/package.sh" "$work/build" "$work/second"

first=$(ls "$work"/first/korvane-*-win64.zip)
second="$work/second/${first##*/}"
echo "first build:  $(cut -d' ' -f1 "$first.sha256")  $build"
echo "second build: $(cut -d' ' -f1 "$second.sha256" 2>/dev/null)  (another folder)"
if cmp "$first" "$second"; then
  echo "check-reproducible: ${first##*/} is the same, byte for byte"
else
  echo "FAILED: the two builds of one commit made different packages"
  exit 1
fi
