#!/usr/bin/env bash
# Build Korvane (MinGW-w64 cross build) and run it under wine on your X display.
#
# Without a usable X display (a server, say), Korvane runs on a private Xvfb
# screen instead: once its first scan is in, the report is printed as read
# from its window, a picture of the window is saved, and Korvane, wine and
# Xvfb are ended again.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/build.sh
source tools/lib/headless.sh
build="$PWD/build/mingw-cross"

bash tools/setup-debian.sh
headless=0
if ! display_usable; then
  headless=1
  bash tools/setup-debian.sh imagemagick
fi

targets=(korvane)
[[ $headless == 0 ]] || targets+=(korvane_report_reader)
build_preset mingw-cross "${targets[@]}"
echo "run.sh: built $build/korvane.exe"

if [[ $headless == 0 ]]; then
  # Its own wine prefix, so a running Korvane and the tests do not share a wineserver.
  prefix="$build/wineprefix-run"
  trap 'end_wineserver "$prefix"' EXIT
  rc=0
  tools/wine-run --prefix "$prefix" "$build/korvane.exe" "$@" || rc=$?
  exit "$rc"
fi

# Its own prefix too: windows on a screen without a window manager need
# settings that would not suit a real display.
picture="$build/korvane-window.png"
reader="$build/korvane_report_reader.exe"
echo "run.sh: no X display; running Korvane on a private Xvfb screen"
if ! start_korvane_headless "$build/wineprefix-headless" "$build/korvane.exe" "$@"; then
  echo "run.sh: there is no X display and Xvfb could not be started" >&2
  exit 1
fi
echo
if ! tools/wine-run --prefix "$prefix" "$reader"; then
  cat "$log"
  exit 1
fi
echo
# The report is in; the window has painted it a moment later.
sleep 2
window=$(find_korvane_window)
if [[ -n $window ]]; then
  size=$(save_window_picture "$window" "$picture")
  echo "run.sh: saved a picture of the window ($size) as $picture"
else
  echo "run.sh: the window could not be found on the screen; no picture" >&2
fi

rc=0
tools/wine-run --prefix "$prefix" "$reader" --close || rc=$?
wait "$korvane_pid" || true
korvane_pid=""
echo "run.sh: Korvane closed with exit code $rc"
exit "$rc"
