# Sourced by the scripts that show windows (tools/test.sh, run.sh,
# screenshot.sh, soak.sh).
#
# display_usable: true when DISPLAY names an X display that answers.
#
# stop_xvfb: stops the Xvfb that start_xvfb started, if any.
#
# start_xvfb: starts Xvfb on a free display number (Xvfb picks it and writes
# it to fd 3 once it accepts connections), exports DISPLAY and sets xvfb_pid
# so the caller can stop it. Returns 1 when no usable display came up.
display_usable() {
  [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1
}

start_xvfb() {
  local dfile display
  dfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s $dfile ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  display=$(head -n 1 "$dfile" || true)
  rm -f "$dfile"
  if [[ -z $display ]] || ! DISPLAY=":$display" xdpyinfo >/dev/null 2>&1; then
    return 1
  fi
  export DISPLAY=":$display"
}

stop_xvfb() {
  if [[ -n ${xvfb_pid:-} ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
