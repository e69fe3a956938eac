# Sourced by the scripts that build. step NAME COMMAND...: runs the command,
# shows its output only when it fails, and then exits with a message.
step() {
  local name=$1 log
  shift
  log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    echo "${0##*/}: $name failed" >&2
    exit 1
  fi
  rm -f "$log"
}
