#!/usr/bin/env bash
# Build Korvane and every test suite (MinGW-w64 cross build), check the style
# (tools/check-style.sh), run the fuzz smoke runs, validate the hosted-CI
# workflow and run the tests under wine, on Xvfb when no usable X display is
# given. Exits non-zero on any failure.
#
#   tools/test.sh         checks what may have changed: clang-tidy skips the
#                         files and the fuzz smoke run skips when their inputs
#                         are the same as at a clean pass (the caches in
#                         build/; tools/lib/check-cache.sh)
#   tools/test.sh --all   checks everything, as CI (CI=true) does, and also
#                         builds everything once more with clang and checks
#                         that a second build of the release package gives
#                         the same bytes
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/xvfb.sh
source tools/lib/build.sh
source tools/lib/wine-prefix.sh
source tools/lib/check-cache.sh
case ${1:-} in
  --all) export KORVANE_CHECK_ALL=1 ;;
  '') ;;
  *)
    echo "usage: tools/test.sh [--all]" >&2
    exit 2
    ;;
esac
root=$PWD
build="$root/build/mingw-cross"
prefix="$build/wineprefix"
jobs=$(nproc)

bash tools/setup-debian.sh

start=$SECONDS
build_preset mingw-cross
echo "test.sh: configured and built in $((SECONDS - start)) s"

# The layout of .clang-format, clang-tidy and cppcheck (clang-tidy compiles
# every file as the clang-cross preset does). A finding fails the run, after
# the tests.
start=$SECONDS
style=0
bash tools/check-style.sh || style=$?
echo "test.sh: style checked in $((SECONDS - start)) s"

# The same code through a second compiler, warnings as errors, linked too;
# its tests are not run again. Only when checking everything: clang-tidy has
# compiled every file with clang's warnings as findings and the GCC build has
# linked the same sources, so what this adds is the link of clang's objects.
if check_all; then
  start=$SECONDS
  build_preset clang-cross
  echo "test.sh: built with clang in $((SECONDS - start)) s"
fi

# The release package once more from a second tree (the program only): the
# same commit must give the same bytes. A difference fails the run, after the
# tests. Only when checking everything: a change to the sources rarely
# touches what makes the package reproducible, and CI checks every commit.
reproducible=0
if check_all; then
  start=$SECONDS
  bash tools/check-reproducible.sh "$build" || reproducible=$?
  echo "test.sh: release rebuilt and compared in $((SECONDS - start)) s"
fi

step "workflow check" bash tools/check-workflows.sh

# The platform-free code, natively under libFuzzer with the sanitizers: a
# short fixed-seed run of each fuzz target (skipped when it passed on the
# same inputs).
start=$SECONDS
bash tools/fuzz.sh --smoke
echo "test.sh: fuzz smoke run in $((SECONDS - start)) s"

xvfb_pid=""
cleanup() {
  end_wineserver "$prefix"
  stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A wineserver left over from an earlier run may hold a display that is gone.
end_wineserver "$prefix"

if ! display_usable; then
  if ! start_xvfb; then
    echo "test.sh: could not start Xvfb" >&2
    exit 1
  fi
  echo "test.sh: started Xvfb on $DISPLAY"
fi

# Create the wine prefix (first run only) and start its wineserver before the
# tests, so that their time limits do not include it.
start=$SECONDS
tools/wine-run --prefix "$prefix" --boot
# Test windows are not handed to a window manager.
unmanage_windows "$prefix"
echo "test.sh: wine ready in $((SECONDS - start)) s"

rc=0
start=$SECONDS
ctest --preset mingw-cross --parallel "$jobs" || rc=$?
echo "test.sh: tests ran in $((SECONDS - start)) s"
if [[ $style != 0 ]]; then
  echo "test.sh: the style check failed (see above)" >&2
  [[ $rc != 0 ]] || rc=$style
fi
if [[ $reproducible != 0 ]]; then
  echo "test.sh: a second build of the release package differs (see above)" >&2
  [[ $rc != 0 ]] || rc=$reproducible
fi
exit "$rc"
