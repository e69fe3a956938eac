#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz natively with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (in build/fuzz), makes their
# seed corpora and runs them.
#   tools/fuzz.sh [SECONDS]   fuzz each target for SECONDS (default 60); the
#                             corpus grows in build/fuzz/corpus/<target>
#   tools/fuzz.sh --smoke     a short deterministic run of each target (fixed
#                             seed, bounded runs), as tools/test.sh does;
#                             skipped when it passed before on the same
#                             inputs (below), unless CI=true or
#                             KORVANE_CHECK_ALL=1 (tools/test.sh --all)
# Seeds: the real SMBIOS tables in ../shared/testdata/smbios when that folder
# exists, plus a few made here. Exits non-zero when a target finds a fault;
# the input that shows it is kept in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/build.sh
source tools/lib/check-cache.sh
root=$PWD
build=$root/build/fuzz
tables=$root/../shared/testdata/smbios
targets=(fuzz_smbios fuzz_csv fuzz_texts)
# Runs per target in the smoke run: about ten seconds each on a busy 2-core machine.
declare -A smoke_runs=([fuzz_smbios]=150000 [fuzz_csv]=8000 [fuzz_texts]=500000)

mode=long
seconds=60
case ${1:-} in
  --smoke) mode=smoke ;;
  '') ;;
  *[!0-9]* | 0)
    echo "usage: tools/fuzz.sh [SECONDS | --smoke]" >&2
    exit 2
    ;;
  *) seconds=$1 ;;
esac

bash tools/setup-debian.sh

step "configuring the fuzz targets" cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++
step "building the fuzz targets" cmake --build "$build" --parallel 2

# ---- what the smoke run depends on -----------------------------------------
# The same inputs give the same fixed-seed run: the files the targets were
# just built from (as the compiler's dependency files name them; a file named
# there that is gone belongs to an earlier build, since this one succeeded),
# the seeds and the scripts. build/fuzz/smoke-passed/<key> marks a passed run.
if [[ $mode == smoke ]]; then
  inputs=$build/smoke-inputs
  {
    find tests/fuzz cmake/korvane_sources.cmake tools/fuzz.sh tools/lib/build.sh tools/lib/check-cache.sh -type f
    [[ ! -d $tables ]] || find "$tables" -name '*.bin'
    find "$build/CMakeFiles" -name '*.o.d' -exec bash -c 'source tools/lib/check-cache.sh; rule_files "$@"' _ {} + |
      sort -u | while IFS= read -r file; do [[ ! -f $file ]] || echo "$file"; done
  } | sort -u >"$inputs"
  smoke_key=$({ clang++ --version; declare -p smoke_runs; inputs_key "$inputs"; } | sha256sum | cut -d ' ' -f 1)
  if ! check_all && [[ -f $build/smoke-passed/$smoke_key ]]; then
    echo "fuzz.sh: smoke run skipped: it passed before on the same sources, seeds and scripts"
    exit 0
  fi
  stamp=$build/smoke-stamp
  new_stamp "$stamp"
fi

# ---- seed corpora ----------------------------------------------------------
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{fuzz_smbios,fuzz_csv,fuzz_texts}

bytes() {  # bytes HEX... : the bytes themselves
  local hex
  for hex in "$@"; do printf "\\x$hex"; done
}
le32() {  # le32 N : N as four little-endian bytes
  bytes "$(printf %02x $(($1 & 255)))" "$(printf %02x $(($1 >> 8 & 255)))" \
        "$(printf %02x $(($1 >> 16 & 255)))" "$(printf %02x $(($1 >> 24 & 255)))"
}
rsmb() {  # rsmb FILE : an 'RSMB' block (SMBIOS 3.0 header) around the bare table on stdin
  local body
  body=$(mktemp)
  cat >"$body"
  { bytes 00 03 00 00; le32 "$(stat -c %s "$body")"; cat "$body"; } >"$1"
  rm -f "$body"
}

if [[ -d $tables ]]; then
  for table in "$tables"/*.bin; do
    [[ -e $table ]] || continue
    rsmb "$seeds/fuzz_smbios/$(basename "$table")" <"$table"
  done
fi
# BIOS (vendor a placeholder, version with blanks, two-digit year), system,
# processor with its rated speed, a 32 GB module given in the extended size, end.
{
  bytes 00 12 00 00 01 02 00 f0 03 00 00 00 00 00 00 00 00 00
  printf ' To Be Filled By O.E.M. \0001.0  \t beta\00006/14/21\0\0'
  bytes 01 08 01 00 01 02 00 00
  printf 'Korvane Labs\0Model  X\0\0'
  bytes 04 1a 02 00 01 03 00 02 00 00 00 00 00 00 00 00 03 00 64 00 10 0e 10 0e 41 01
  printf 'CPU0\0Vendor\0Model 9000 @ 3.6GHz\0\0'
  bytes 11 22 03 00 00 00 00 00 00 00 00 00 ff 7f 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 00 00 00 00 00 00
  bytes 7f 04 04 00 00 00
} | rsmb "$seeds/fuzz_smbios/crafted-full"
bytes 7f 04 00 00 00 00 | rsmb "$seeds/fuzz_smbios/crafted-end-only"
bytes 00 03 00 00 >"$seeds/fuzz_smbios/crafted-short-header"

printf 'Intel(R) Core, "i7"\r\nline two\t caf\xe9 \xf0\xd8\x3d\xf0\xde\x00 \xf0\xdc\x00 \xf0\xd8\x00, end' \
  >"$seeds/fuzz_csv/specials"
for n in 1 2 3; do  # longer pages: every byte value, in three orders
  for ((i = 0; i < 768; i++)); do printf "\\x$(printf %02x $(((i * (2 * n + 1) + n) & 255)))"; done \
    >"$seeds/fuzz_csv/bytes-$n"
done

# fuzz_texts: the first byte picks the rule; texts are read from the front,
# counts and numbers from the back.
texts=$seeds/fuzz_texts
bytes 00 c0 a8 01 02 >"$texts/ipv4"
bytes 01 0c 20 01 0d b8 00 00 00 01 00 00 00 00 00 00 00 01 01 0c 01 >"$texts/ipv6"
bytes 01 3f 00 00 00 00 00 00 00 00 00 00 ff ff c0 a8 01 02 00 >"$texts/ipv6-mapped"
{ bytes 02; printf ' To Be Filled By O.E.M. '; bytes 40; } >"$texts/firmware-placeholder"
{ bytes 02; printf '  Two  \t words\r\n'; bytes 40; } >"$texts/firmware-blanks"
{ bytes 03; printf 'Vendor\0n/a\0 \xa9 2021 \0'; bytes 02 01 03; } >"$texts/smbios-strings"
bytes 04 00 06 0a 01 04 0a 02 00 02 01 0e >"$texts/date-long"
bytes 04 0b 01 02 0a 03 01 0a 09 09 0b 0e >"$texts/date-short"
bytes 05 00 10 00 00 00 20 00 00 02 00 01 00 78 01 40 00 ff >"$texts/graph"
bytes 06 25 22 00 01 02 05 05 05 06 1b 1c 1d 1e 00 00 00 01 0e >"$texts/temporary-name"
bytes 07 00 00 30 02 >"$texts/dialog-error"
bytes 07 00 00 12 34 >"$texts/dialog-error-unknown"
bytes 08 01 00 00 00 00 00 10 00 00 00 01 00 00 0e 10 05 3f 4e 66 66 66 66 66 66 01 >"$texts/value-texts"

# ---- runs ------------------------------------------------------------------
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/findings" "$build/logs"
launch=()
if [[ $mode == smoke ]] && setarch "$(uname -m)" -R true 2>/dev/null; then
  # Without address randomisation the pointers that the targets compare, and
  # so the whole smoke run, repeat exactly.
  launch=(setarch "$(uname -m)" -R)
fi
passed=0
failed=0
for target in "${targets[@]}"; do
  run_log=$build/logs/$target.log
  if [[ $mode == smoke ]]; then
    # A fresh scratch corpus each time keeps the run the same from one time to the next.
    corpus=$build/smoke/$target
    rm -rf "$corpus"
    options=(-seed=1 "-runs=${smoke_runs[$target]}" -reload=0)
  else
    corpus=$build/corpus/$target
    options=("-max_total_time=$seconds")
  fi
  mkdir -p "$corpus"
  start=$SECONDS
  if "${launch[@]}" "$build/$target" "${options[@]}" -timeout=10 -print_final_stats=1 \
       "-artifact_prefix=$build/findings/$target-" "$corpus" "$seeds/$target" >"$run_log" 2>&1; then
    passed=$((passed + 1))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run_log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$run_log")
    echo "fuzz.sh: $target passed: $runs runs in $((SECONDS - start)) s ($rate per second)"
  else
    failed=$((failed + 1))
    grep -v '^#[0-9]' "$run_log" | tail -n 60
    echo "fuzz.sh: $target FAILED after $((SECONDS - start)) s; log $run_log, input in $build/findings" >&2
  fi
done
echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
if [[ $mode == smoke ]] && ! in_ci && ! changed_since "$stamp" "$inputs"; then
  mkdir -p "$build/smoke-passed"
  touch "$build/smoke-passed/$smoke_key"
fi
