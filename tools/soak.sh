#!/usr/bin/env bash
# Build and run the soak benchmark (bench/korvane_soak.cpp): a real main window
# under wine through 10 000 ticks, 100 rescans, 100 saves and 100 copies, with
# the heap, handle slot and memory figures before and after. Uses your X
# display, or a private Xvfb when there is none.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/xvfb.sh
build="$PWD/build/mingw-cross"
# Its own wine prefix, so the soak and the tests do not share a wineserver.
prefix="$build/wineprefix-soak"

bash tools/setup-debian.sh

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset mingw-cross &&
       cmake --build --preset mingw-cross --target korvane_soak --parallel "$(nproc)"; } >"$log" 2>&1; then
  cat "$log"
  echo "soak.sh: build failed" >&2
  exit 1
fi

xvfb_pid=""
trap 'rm -f "$log"; WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
  start_xvfb || { echo "soak.sh: could not start Xvfb" >&2; exit 1; }
fi
tools/wine-run --prefix "$prefix" --boot
# No window manager on Xvfb: wine would wait for one whenever a window goes.
if ! grep -qs '^"Managed"="N"' "$prefix/user.reg"; then
  tools/wine-run --prefix "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /t REG_SZ /d N /f >/dev/null
fi
# wine-run passes the program's output and wine's own on one stream; wine
# says this once per scan, when the drives probe looks at Z: (the host's /).
tools/wine-run --prefix "$prefix" "$build/korvane_soak.exe" |
  grep -v --line-buffered 'Read access denied for device'
