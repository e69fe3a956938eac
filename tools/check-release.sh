#!/usr/bin/env bash
# Make the release package from a built tree into a temporary folder and check
# it: its SHA-256 sum file matches, it holds exactly the program and the README
# in one folder named after the package, with the commit's time, the program
# is stripped, and its manifest, icon, version record, header and imports pass
# check-resources.sh.
#
# When the build has korvane_report_reader.exe, the packaged program is also
# run under wine (tools/wine-run, the build's prefix) until its first scan.
#
#   check-release.sh BUILD_DIR VERSION [OBJDUMP]
#
# Registered with CTest as korvane_release_check.
set -euo pipefail
build=$1
version=$2
objdump=${3:-x86_64-w64-mingw32-objdump}
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name="korvane-$version-win64"

bash "$tools/package.sh" "$build" "$work/out" >"$work/package.log" 2>&1 || {
  cat "$work/package.log"
  echo "FAILED: package.sh"
  exit 1
}
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

zip="$work/out/$name.zip"
[[ -f $zip ]] || { echo "FAILED: no $name.zip"; ls "$work/out"; exit 1; }
if (cd "$work/out" && sha256sum -c "$name.zip.sha256" >/dev/null); then
  echo "ok: $name.zip.sha256 matches"
else
  fail "$name.zip.sha256 does not match the package"
fi

mkdir "$work/unpacked"
# The zip holds local times, written in UTC.
(cd "$work/unpacked" && TZ=UTC cmake -E tar xf "$zip")
listing=$(cd "$work/unpacked" && find . -type f | sort | tr '\n' ' ')
if [[ $listing == "./$name/README.md ./$name/korvane.exe " ]]; then
  echo "ok: the package holds $name/korvane.exe and $name/README.md"
else
  fail "the package holds: $listing"
fi
exe="$work/unpacked/$name/korvane.exe"
# A zip keeps times to 2 s; zip rounds odd seconds up.
source_date_epoch=$(sed -n "s/^source_date_epoch='\(.*\)'$/\1/p" "$build/package.env")
expected_time=$(( (source_date_epoch + 1) / 2 * 2 ))
times=$(stat -c %Y "$exe" "$work/unpacked/$name/README.md" | sort -u | tr '\n' ' ')
if [[ $times == "$expected_time " ]]; then
  echo "ok: both files carry the commit's time, $(TZ=UTC date -d "@$expected_time" '+%F %T UTC')"
else
  fail "the files' times are $times, expected $expected_time (the commit's)"
fi
if "${objdump%objdump}nm" "$exe" 2>&1 | grep -q 'no symbols'; then
  echo "ok: korvane.exe is stripped ($(stat -c %s "$exe") bytes)"
else
  fail "korvane.exe still has symbols"
fi
bash "$tools/check-resources.sh" "$exe" "$objdump" "$version" >"$work/resources.log" || {
  cat "$work/resources.log"
  fail "the packaged korvane.exe fails the resource check"
}

reader="$build/korvane_report_reader.exe"
if [[ -f $reader ]]; then
  if "$tools/wine-run" --prefix "$build/wineprefix" "$reader" --run "Z:${exe//\//\\}" \
       >"$work/report.txt" 2>&1 && grep -q 'Scanned at ' "$work/report.txt"; then
    echo "ok: the packaged korvane.exe runs: $(grep -o 'Scanned at .*' "$work/report.txt")"
  else
    cat "$work/report.txt"
    fail "the packaged korvane.exe did not run to its first scan and close with exit code 0"
  fi
fi

if [[ $failures -gt 0 ]]; then
  echo "check-release: $failures check(s) failed"
  exit 1
fi
echo "check-release: all checks passed for $name.zip"
