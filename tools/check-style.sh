#!/usr/bin/env bash
# The house style and the static checks, as tools/test.sh runs them:
#   clang-format  the layout of .clang-format over src/, tests/ and bench/;
#                 any difference fails
#   clang-tidy    the checks of .clang-tidy over every source file of src/,
#                 tests/ and bench/, compiled as the clang-cross preset
#                 compiles them (its compile database), against the Windows
#                 headers of MinGW-w64; the compiler's own warnings are
#                 findings too. A file is skipped when it, every file it
#                 includes, its compile command and clang-tidy's settings are
#                 the same as at a check that found nothing (the cache in
#                 build/clang-tidy-cache; see tools/lib/tidy-unit.sh)
#   cppcheck      over src/
#
#   tools/check-style.sh         check; exits non-zero on any finding
#   tools/check-style.sh --fix   rewrite the files in clang-format's layout
#                                first, then check
#   tools/check-style.sh --all   clang-tidy checks every file, whatever the
#                                cache says (as in CI, where CI=true)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/build.sh
source tools/lib/check-cache.sh
build=build/clang-cross

fix=0
for arg in "$@"; do
  case $arg in
    --fix) fix=1 ;;
    --all) export KORVANE_CHECK_ALL=1 ;;
    *)
      echo "usage: tools/check-style.sh [--fix] [--all]" >&2
      exit 2
      ;;
  esac
done

bash tools/setup-debian.sh
jobs=$(nproc)
failed=()
mapfile -t files < <(find src tests bench -name '*.cpp' -o -name '*.h' | sort)

# ---- clang-format ----------------------------------------------------------
start=$SECONDS
if [[ $fix == 1 ]]; then
  clang-format -i "${files[@]}"
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if clang-format --dry-run --Werror "${files[@]}" 2>"$log"; then
  echo "check-style: clang-format: ${#files[@]} files as .clang-format lays them out ($((SECONDS - start)) s)"
else
  awk '/error: code should be clang-formatted/ && shown++ < 40' "$log"
  mapfile -t differ < <(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' "$log" | sort -u)
  echo "check-style: clang-format: ${#differ[@]} files differ from .clang-format's layout" \
    "($(grep -c 'error: code should be clang-formatted' "$log") places; tools/check-style.sh --fix rewrites them):"
  printf '  %s\n' "${differ[@]}"
  failed+=(clang-format)
fi

# ---- clang-tidy ------------------------------------------------------------
start=$SECONDS
step "configuring clang-cross" cmake --preset clang-cross
# The translation units of our own folders (not GoogleTest's).
mapfile -t units < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" |
                       grep -E "^$PWD/(src|tests|bench)/.*\.cpp$" | sort -u)
tidy=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$tidy"' EXIT
cache=build/clang-tidy-cache
if in_ci; then
  mode=all
elif check_all; then
  mode=record
else
  mode=cached
fi
if [[ $mode != all ]]; then
  mkdir -p "$cache"
  # Markers no run has used for a month.
  find "$cache" -name '*.ok' -mtime +30 -delete
fi
# What every file's result depends on besides its own inputs: clang-tidy, its
# settings, and how it is run here.
config=$(
  {
    clang-tidy --version
    find . -path ./build -prune -o -path ./.git -prune -o -name .clang-tidy -print | sort |
      while read -r file; do echo "$file"; cat "$file"; done
    cat tools/check-style.sh tools/lib/tidy-unit.sh tools/lib/check-cache.sh
  } | sha256sum | cut -d ' ' -f 1)
# One log per unit, printed whole afterwards, so parallel runs do not mix.
ran=0
printf '%s\n' "${units[@]}" |
  xargs -P "$jobs" -I '{}' bash tools/lib/tidy-unit.sh "$build" "$cache" "$config" "$tidy" "$mode" '{}' || ran=$?
skipped=$(find "$tidy" -name '*.skipped' | wc -l)
checked="${#units[@]} files"
[[ $skipped == 0 ]] || checked+=" ($skipped unchanged since a clean check, skipped)"
findings=$(cat "$tidy"/*.log | grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' | sort -u || true)
if [[ $ran != 0 || $(find "$tidy" -name '*.log' | wc -l) != "${#units[@]}" ]]; then
  # A file was neither checked nor skipped.
  echo "check-style: clang-tidy: the check of a file stopped (see above)"
  echo "clang-tidy: exit code $ran" >>"$tidy/stopped.log"
fi
if [[ -z $findings ]] && grep -q '^clang-tidy: exit code' "$tidy"/*.log; then
  # Failed without a finding: a crash, say.
  cat "$tidy"/*.log
  echo "check-style: clang-tidy failed"
  failed+=(clang-tidy)
elif [[ -z $findings ]]; then
  echo "check-style: clang-tidy: $checked, no findings ($((SECONDS - start)) s)"
else
  # A finding in a header shows once for every file that includes it.
  cat "$tidy"/*.log | grep -v -E '^(clang-tidy: exit code|Suppressed|Use -header-filter|[0-9]+ warnings? (and [0-9]+ errors? )?generated)' |
    awk '/^[^ ]+:[0-9]+:[0-9]+: (warning|error):/ { seen = $0 in printed; printed[$0] = 1 } !seen && shown++ < 300'
  echo "check-style: clang-tidy: $(grep -c . <<<"$findings") findings in $checked ($((SECONDS - start)) s)"
  failed+=(clang-tidy)
fi

# ---- cppcheck --------------------------------------------------------------
start=$SECONDS
if cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --inline-suppr --std=c++20 \
     -j "$jobs" -I src src; then
  echo "check-style: cppcheck: no findings in src ($((SECONDS - start)) s)"
else
  failed+=(cppcheck)
fi

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "check-style: failed: ${failed[*]}" >&2
  exit 1
fi
echo "check-style: passed"
