#!/usr/bin/env bash
# Install the Debian packages needed to cross-build Korvane and run it and its
# tests under wine. Quiet and quick when everything is already installed.
# Further package names given as arguments are installed too (used by
# tools/screenshot.sh).
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  googletest
  wine wine64 fonts-wine
  # X libraries that wine's display driver loads at run time
  libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1
  xvfb xauth x11-utils
  # tools/check-resources.sh: wrestool, xmllint
  icoutils libxml2-utils
  # tools/package.sh: the release zip; git: the commit's time for its bytes
  zip git
  # tools/fuzz.sh: clang with libFuzzer and the sanitizer run-times
  clang libclang-rt-dev
  # tools/check-style.sh
  clang-format clang-tidy cppcheck
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) != ii* ]]; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -gt 0 ]] || exit 0

echo "setup-debian: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${sudo[@]}" apt-get update -q &&
       "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
         apt-get install -y -q --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "setup-debian: installing packages failed" >&2
  exit 1
fi
