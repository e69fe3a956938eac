#!/usr/bin/env bash
# Build and run the soak benchmark (bench/korvane_soak.cpp): a real main window
# under wine through 10 000 ticks, 100 rescans, 100 saves and 100 copies, with
# the heap, handle slot and memory figures before and after. Uses your X
# display, or a private Xvfb when there is none.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/xvfb.sh
source tools/lib/build.sh
source tools/lib/wine-prefix.sh
build="$PWD/build/mingw-cross"
# Its own wine prefix, so the soak and the tests do not share a wineserver.
prefix="$build/wineprefix-soak"

bash tools/setup-debian.sh

build_preset mingw-cross korvane_soak

xvfb_pid=""
trap 'end_wineserver "$prefix"; stop_xvfb' EXIT
if ! display_usable; then
  start_xvfb || { echo "soak.sh: could not start Xvfb" >&2; exit 1; }
fi
tools/wine-run --prefix "$prefix" --boot
unmanage_windows "$prefix"
# wine-run passes the program's output and wine's own on one stream; wine
# says this once per scan, when the drives probe looks at Z: (the host's /).
tools/wine-run --prefix "$prefix" "$build/korvane_soak.exe" |
  grep -v --line-buffered 'Read access denied for device'
