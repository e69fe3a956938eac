# Sourced by tools/screenshot.sh and tools/run.sh: Korvane under wine on a
# private Xvfb screen, and a picture of its window. Needs xwininfo
# (x11-utils) and import (ImageMagick).
#
# start_korvane_headless PREFIX KORVANE.EXE [ARGS...]: starts Xvfb, readies
# the wine prefix PREFIX for a screen without a window manager and starts
# KORVANE.EXE in the background with its output in a temporary file. Sets the
# globals prefix, log, xvfb_pid and korvane_pid, and traps EXIT with
# end_korvane_on_xvfb. Returns 1 when Xvfb could not be started.
#
# find_korvane_window: prints the id of the largest top-level X window titled
# exactly "Korvane", or nothing.
#
# save_window_picture WINDOW OUTPUT.png: saves the window's part of the screen.
#
# end_korvane_on_xvfb: the clean-up of start_korvane_headless: ends the
# prefix's wineserver, which ends korvane.exe and wine's helpers (only then
# does the wine-run that started Korvane return), reaps it and stops Xvfb.

source tools/lib/xvfb.sh
source tools/lib/wine-prefix.sh

start_korvane_headless() {
  prefix=$1
  local exe=$2 font
  shift 2
  log=$(mktemp)
  xvfb_pid=""
  korvane_pid=""
  trap end_korvane_on_xvfb EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  # A wineserver left over from an earlier run may hold a display that is gone.
  end_wineserver "$prefix"
  start_xvfb || return 1
  tools/wine-run --prefix "$prefix" --boot
  # Windows that no window manager takes draw their own title bar and frame.
  unmanage_windows "$prefix"
  # wine draws the caption buttons with its Marlett font, which this wine does
  # not find in its own data folder; the prefix's Fonts folder is searched.
  for font in /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf; do
    [[ ! -f $font ]] || cp "$font" "$prefix/drive_c/windows/Fonts/"
  done
  tools/wine-run --prefix "$prefix" "$exe" "$@" >"$log" 2>&1 &
  korvane_pid=$!
}

find_korvane_window() {
  xwininfo -root -tree 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) "Korvane": .* \([0-9]*\)x\([0-9]*\)+-*[0-9]*+-*[0-9]* .*$/\2 \3 \1/p' |
    awk '{ print $1 * $2, $3 }' | sort -n | tail -n 1 | cut -d ' ' -f 2
}

save_window_picture() {
  local window=$1 output=$2 info root x y w h screen_w screen_h
  # The window's place on the screen, clipped to the screen.
  info=$(xwininfo -id "$window")
  root=$(xwininfo -root)
  x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/^ *Width: *//p' <<<"$info")
  h=$(sed -n 's/^ *Height: *//p' <<<"$info")
  screen_w=$(sed -n 's/^ *Width: *//p' <<<"$root")
  screen_h=$(sed -n 's/^ *Height: *//p' <<<"$root")
  (( x >= 0 )) || { w=$((w + x)); x=0; }
  (( y >= 0 )) || { h=$((h + y)); y=0; }
  (( x + w <= screen_w )) || w=$((screen_w - x))
  (( y + h <= screen_h )) || h=$((screen_h - y))
  mkdir -p "$(dirname "$output")"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$output"
  echo "${w}x${h}"
}

end_korvane_on_xvfb() {
  rm -f "${log:-}"
  end_wineserver "$prefix"
  if [[ -n ${korvane_pid:-} ]]; then
    kill "$korvane_pid" 2>/dev/null || true
    wait "$korvane_pid" 2>/dev/null || true
  fi
  stop_xvfb
}
