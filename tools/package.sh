#!/usr/bin/env bash
# Make the release package of a built tree: OUT_DIR/korvane-<version>-win64.zip,
# holding the stripped korvane.exe and the README in one folder of that name,
# and korvane-<version>-win64.zip.sha256 beside it.
#
#   package.sh BUILD_DIR OUT_DIR
#
# The same commit gives the same bytes wherever it is built: the program's
# time stamp and the time of every entry are the commit's (the build's
# package.env, written by CMake, says which), the entries come in a fixed
# order with fixed permissions, and zip -X stores no owner or other extra
# fields. Needs zip (tools/setup-debian.sh installs it).
set -euo pipefail
if [[ $# -ne 2 ]]; then
  echo "usage: package.sh BUILD_DIR OUT_DIR" >&2
  exit 2
fi
build=$1
out=$2
program='' readme='' version='' source_date_epoch='' strip=''
# shellcheck source=/dev/null
source "$build/package.env"
command -v zip >/dev/null || { echo "package.sh: zip not found (run tools/setup-debian.sh)" >&2; exit 1; }
name="korvane-$version-win64"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/$name"
mkdir "$folder"
# strip writes the header anew and stamps it with the time now, unless told.
SOURCE_DATE_EPOCH=$source_date_epoch "$strip" -o "$folder/korvane.exe" "$program"
cp "$readme" "$folder/README.md"
chmod 755 "$folder" "$folder/korvane.exe"
chmod 644 "$folder/README.md"
touch -d "@$source_date_epoch" "$folder/korvane.exe" "$folder/README.md" "$folder"

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/$name.zip" "$out/$name.zip.sha256"
# zip stores local times; in UTC they are the commit's everywhere. ZIPOPT
# would add the caller's own options.
(cd "$stage" && env -u ZIPOPT TZ=UTC zip -q -X "$out/$name.zip" "$name/" "$name/korvane.exe" "$name/README.md")
(cd "$out" && sha256sum "$name.zip" >"$name.zip.sha256")
