#!/usr/bin/env bash
# Build Korvane (MinGW-w64 cross build) and run it under wine on your X display.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build="$PWD/build/mingw-cross"
# Its own wine prefix, so a running Korvane and the tests do not share a wineserver.
prefix="$build/wineprefix-run"


bash tools/setup-debian.sh

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset mingw-cross &&
       cmake --build --preset mingw-cross --target korvane --parallel "$(nproc)"; } >"$log" 2>&1; then
  cat "$log"
  echo "run.sh: build failed" >&2
  exit 1
fi
echo "run.sh: built $build/korvane.exe"

if [[ -z ${DISPLAY:-} ]]; then
  echo "run.sh: DISPLAY is not set; Korvane needs an X display" >&2
  exit 1
fi
trap 'rm -f "$log"; WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
rc=0
tools/wine-run --prefix "$prefix" "$build/korvane.exe" "$@" || rc=$?
exit "$rc"
