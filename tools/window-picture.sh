# Sourced by tools/screenshot.sh and tools/run.sh: a picture of Korvane's
# window on a private Xvfb screen. Needs xwininfo (x11-utils), import
# (ImageMagick) and tools/wine-prefix.sh sourced.
#
# prepare_picture_prefix PREFIX: sets up a wine prefix whose windows draw
# their own title bar and frame, as they must on a screen without a window
# manager.
#
# find_korvane_window: prints the id of the largest top-level X window titled
# exactly "Korvane", or nothing.
#
# save_window_picture WINDOW OUTPUT.png: saves the window's part of the screen.
#
# end_korvane_on_xvfb: the clean-up of a script that ran Korvane on its own
# Xvfb (its globals: prefix, korvane_pid, the wine-run that started Korvane,
# and log): ends the prefix's wineserver, which ends korvane.exe and wine's
# helpers (only then does that wine-run return), reaps it and stops Xvfb.

prepare_picture_prefix() {
  local prefix=$1 font
  unmanage_windows "$prefix"
  # wine draws the caption buttons with its Marlett font, which this wine does
  # not find in its own data folder; the prefix's Fonts folder is searched.
  for font in /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf; do
    [[ ! -f $font ]] || cp "$font" "$prefix/drive_c/windows/Fonts/"
  done
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
