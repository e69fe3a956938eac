#!/usr/bin/env bash
# Builds the pure SMBIOS parser natively with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer and runs it over the real tables, every prefix of
# them and many single-byte changes. Not part of tools/test.sh: it needs clang
# and the shared test data, and takes about a minute.
#   tools/sanitize-smbios.sh [FOLDER-OF-TABLES]   (default: ../shared/testdata/smbios)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
folder=${1:-../shared/testdata/smbios}
if [[ ! -d $folder ]]; then
  echo "sanitize-smbios.sh: no table folder $folder" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "sanitize-smbios.sh: clang++ is needed (apt-get install clang)" >&2
  exit 2
fi
out=build/sanitize-smbios
mkdir -p "$out"
clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=address,undefined -fno-sanitize-recover=all \
  -Wall -Wextra -Wpedantic -Wshadow -Werror \
  -Isrc \
  src/scan/smbios_parser.cpp src/report/value_text.cpp src/report/reading.cpp src/common/wide_format.cpp \
  tools/sanitize/smbios_sweep.cpp \
  -o "$out/smbios_sweep"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/smbios_sweep" "$folder"
