#!/usr/bin/env bash
# Build Korvane and every test suite (MinGW-w64 cross build, and once more with
# clang for its warnings), run the fuzz smoke runs, validate the hosted-CI
# workflow and run the tests under wine, on Xvfb when no usable X display is
# given. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/xvfb.sh
source tools/build-step.sh
source tools/wine-prefix.sh
root=$PWD
build="$root/build/mingw-cross"
prefix="$build/wineprefix"
jobs=$(nproc)

bash tools/setup-debian.sh

start=$SECONDS
step configure cmake --preset mingw-cross
step build cmake --build --preset mingw-cross --parallel "$jobs"
echo "test.sh: configured and built in $((SECONDS - start)) s"

# The same code through a second compiler, warnings as errors; its tests are
# not run again.
start=$SECONDS
step "clang configure" cmake --preset clang-cross
step "clang build" cmake --build --preset clang-cross --parallel "$jobs"
echo "test.sh: built with clang in $((SECONDS - start)) s"

step "workflow check" bash tools/check-workflows.sh

# The platform-free code, natively under libFuzzer with the sanitizers: a
# short fixed-seed run of each fuzz target.
bash tools/fuzz.sh --smoke

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
ctest --preset mingw-cross --parallel "$jobs" || rc=$?
exit "$rc"
