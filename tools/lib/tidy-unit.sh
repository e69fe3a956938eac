#!/usr/bin/env bash
# clang-tidy over one translation unit, for tools/check-style.sh (which runs
# several of these at once), from the source root:
#
#   tidy-unit.sh BUILD CACHE CONFIG LOGS MODE UNIT
#
# BUILD holds the compile database (compile_commands.json), CONFIG is the key
# of clang-tidy and its settings, LOGS (an absolute path) receives the output
# in LOGS/<unit>.log. MODE:
#   all     check the unit, no cache (CI)
#   record  check the unit and remember a clean pass in CACHE
#   cached  skip the unit (LOGS/<unit>.skipped) when CACHE holds a clean pass
#           for the same compile command and the same content of the unit
#           and of every file it includes; otherwise as record
#
# The cache (see tools/lib/check-cache.sh): CACHE/<command key>.deps lists
# the files the unit included when it was last checked, as the compiler names
# them (-M); CACHE/<key>.ok, keyed by the command and the content of those
# files, marks a check that found nothing.
set -euo pipefail
source tools/lib/check-cache.sh
build=$1 cache=$2 config=$3 logs=$4 mode=$5 unit=$6
name=$(tr / _ <<<"$unit")
log=$logs/$name.log

check_only() {
  clang-tidy -p "$build" --quiet "$unit" >"$log" 2>&1 || echo "clang-tidy: exit code $? on $unit" >>"$log"
}

if [[ $mode == all ]]; then
  check_only
  exit 0
fi

stamp=$logs/$name.stamp
new_stamp "$stamp"
# The unit's folder and compile command as the database gives them (the
# command JSON-escaped), one pair a line each, for every entry of the unit:
# clang-tidy checks each (tests/support/test_main.cpp is in every test
# executable).
mapfile -t entries < <(awk -v file="$unit" '
  /^  "directory": "/ { dir = $0 }
  /^  "command": "/ { cmd = $0 }
  /^  "file": "/ {
    f = $0; sub(/^  "file": "/, "", f); sub(/",?$/, "", f)
    if (f == file) { print dir; print cmd }
  }' "$build/compile_commands.json" |
  sed -e 's/^  "[a-z]*": "//' -e 's/",\{0,1\}$//' -e 's/\\\(.\)/\1/g')
if [[ ${#entries[@]} -eq 0 || $((${#entries[@]} % 2)) -ne 0 ]]; then
  # Not found as this reads the database: checked, but not remembered.
  check_only
  exit 0
fi
# The settings, the commands and the response files they name (the include
# folders).
command_key=$(
  {
    printf '%s\n' "$config" "$unit" "${entries[@]}"
    for ((i = 0; i < ${#entries[@]}; i += 2)); do
      { grep -o '@[^ ]*' <<<"${entries[i + 1]}" || true; } | tr -d '@"' | while read -r rsp; do
        cat "${entries[i]}/$rsp"
      done
    done
  } | sha256sum | cut -d ' ' -f 1)
deps=$cache/$command_key.deps

unit_key() {
  { echo "$command_key"; inputs_key "$1"; } | sha256sum | cut -d ' ' -f 1
}

if [[ $mode == cached && -f $deps ]]; then
  marker=$cache/$(unit_key "$deps").ok
  if [[ -f $marker ]]; then
    # Kept while it is used; tools/check-style.sh drops markers left unused.
    touch "$marker"
    : >"$log"
    touch "$logs/$name.skipped"
    exit 0
  fi
fi

clean=1
clang-tidy -p "$build" --quiet "$unit" >"$log" 2>&1 || { echo "clang-tidy: exit code $? on $unit" >>"$log"; clean=0; }
if grep -q -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$log"; then
  clean=0
fi

# The files the unit includes under any of its commands, as the compiler
# names them.
depfile=$logs/$name.d
if ! for ((i = 0; i < ${#entries[@]}; i += 2)); do
       (cd "${entries[i]}" && eval "${entries[i + 1]} -M -MF \"\$depfile\"") >/dev/null 2>&1 || exit 1
       rule_files "$depfile"
     done | awk '!seen[$0]++' >"$deps.$$"; then
  # It does not compile: clang-tidy has said so.
  rm -f "$deps.$$"
  exit 0
fi
mv "$deps.$$" "$deps"
if [[ $clean == 1 ]] && ! changed_since "$stamp" "$deps"; then
  touch "$cache/$(unit_key "$deps").ok"
fi
