#!/usr/bin/env bash
# Build Korvane, run it under wine on a private Xvfb screen and save a picture
# of its window (default: docs/screenshot.png).
#
#   bash tools/screenshot.sh [OUTPUT.png]
#
# KORVANE_SHOT_WAIT (seconds, default 30) is how long to wait after the
# window appears, so that the first scan has finished ("Scanned at ..." in the
# status bar) and the graphs have some points. Not part of tools/test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/build.sh
source tools/lib/headless.sh
root=$PWD
build="$root/build/mingw-cross"
output=${1:-$root/docs/screenshot.png}
wait_after=${KORVANE_SHOT_WAIT:-30}
appear_limit=60

# import (ImageMagick) takes the picture; xwininfo (x11-utils) finds the window.
bash tools/setup-debian.sh imagemagick

build_preset mingw-cross korvane
echo "screenshot.sh: built $build/korvane.exe"

# Our own screen, whatever DISPLAY says, and its own wine prefix, apart from
# the tests' and tools/run.sh's.
if ! start_korvane_headless "$build/wineprefix-shot" "$build/korvane.exe"; then
  echo "screenshot.sh: could not start Xvfb" >&2
  exit 1
fi

window=""
start=$SECONDS
while [[ -z $window ]]; do
  if ! kill -0 "$korvane_pid" 2>/dev/null; then
    rc=0
    wait "$korvane_pid" || rc=$?
    korvane_pid=""
    cat "$log"
    echo "screenshot.sh: korvane.exe showed no window (it ended with exit code $rc)" >&2
    exit 1
  fi
  if (( SECONDS - start >= appear_limit )); then
    cat "$log"
    echo "screenshot.sh: korvane.exe showed no window within $appear_limit s" >&2
    exit 1
  fi
  sleep 0.5
  window=$(find_korvane_window)
done
echo "screenshot.sh: the window appeared after $((SECONDS - start)) s; waiting $wait_after s for the scan and the graphs"
sleep "$wait_after"
if ! kill -0 "$korvane_pid" 2>/dev/null; then
  cat "$log"
  echo "screenshot.sh: korvane.exe ended before the picture was taken" >&2
  exit 1
fi
# The window may have been replaced (e.g. recreated); look it up again.
window=$(find_korvane_window)
if [[ -z $window ]]; then
  echo "screenshot.sh: the Korvane window is gone" >&2
  exit 1
fi

size=$(save_window_picture "$window" "$output")
echo "screenshot.sh: saved $output ($size)"
