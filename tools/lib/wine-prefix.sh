# Sourced by the scripts that run Korvane or its tests under wine with a
# prefix of their own (tools/test.sh, run.sh, screenshot.sh, soak.sh).
#
# end_wineserver PREFIX: ends the wineserver of PREFIX, and with it every wine
# process of that prefix, if the prefix exists.
#
# unmanage_windows PREFIX: wine hands no window of PREFIX to a window manager.
# Xvfb has none: wine would wait two seconds for one whenever a managed window
# is destroyed, and it draws a title bar and frame only for unmanaged windows.
end_wineserver() {
  if [[ -d $1 ]]; then
    WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 || true
  fi
}

unmanage_windows() {
  if ! grep -qs '^"Managed"="N"' "$1/user.reg"; then
    tools/wine-run --prefix "$1" reg add 'HKCU\Software\Wine\X11 Driver' \
      /v Managed /t REG_SZ /d N /f >/dev/null
  fi
}
