# Sourced by the scripts that build (from the source root).
#
# step NAME COMMAND...: runs the command, shows its output only when it
# fails, and then exits with a message.
#
# build_preset PRESET [TARGET...]: configures the CMake preset PRESET and
# builds TARGET... (everything when none is given) on every core.
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

build_preset() {
  local preset=$1 targets=()
  shift
  [[ $# -eq 0 ]] || targets=(--target "$@")
  step "configuring $preset" cmake --preset "$preset"
  step "building $preset" cmake --build --preset "$preset" "${targets[@]}" --parallel "$(nproc)"
}
