#!/usr/bin/env bash
# Build Korvane (MinGW-w64 cross build) and make the release package:
# build/mingw-cross/package/korvane-<version>-win64.zip, holding the stripped
# korvane.exe and the README, with korvane-<version>-win64.zip.sha256 beside it
# (tools/package.sh). The same commit gives the same bytes on any machine.
# Check a downloaded package with: sha256sum -c korvane-<version>-win64.zip.sha256
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/lib/build.sh

bash tools/setup-debian.sh
build_preset mingw-cross korvane
step package bash tools/package.sh build/mingw-cross build/mingw-cross/package
package=$(ls build/mingw-cross/package/korvane-*-win64.zip)
echo "release.sh: $package"
cat "$package.sha256"
