# Sourced by the scripts that may skip a check whose inputs have not changed
# since it last passed (tools/check-style.sh for clang-tidy, one translation
# unit at a time, and tools/fuzz.sh for its smoke run). Run from the source
# root.
#
# A check's key is a hash of everything its result depends on: the tool and
# its settings, and the names and contents of its input files. A marker named
# by the key is written only after the check passed on exactly those
# contents, so a finding is never hidden: a change to any input makes a new
# key, which has no marker until the check passes on it.
#
# check_all: true when every check runs and nothing is skipped: in CI (CI set
#   to anything but "", "false" or "0") or when KORVANE_CHECK_ALL=1
#   (tools/test.sh --all, tools/check-style.sh --all).
#
# in_ci: true in CI, where the build tree is thrown away and no marker is
#   worth writing.
#
# inputs_key LIST: prints a SHA-256 over the files named in the file LIST
#   (one path a line): each name and content (a missing file changes the
#   key), and the names of the files under src/, tests/ and bench/ that share
#   a base name with one of them: a file added there may be included in place
#   of one listed.
#
# changed_since STAMP LIST: true when a file named in LIST is missing or newer
#   than the file STAMP, i.e. it may have changed while the check ran, so the
#   check cannot vouch for its present content.
#
# new_stamp FILE: creates FILE dated a second back (coarse file times).
#
# rule_files DEPFILE...: prints the files named in the compiler's make rules
#   DEPFILE... (-M, -MD), one a line.
in_ci() {
  case ${CI:-} in
    '' | false | 0) return 1 ;;
    *) return 0 ;;
  esac
}

check_all() {
  in_ci || [[ ${KORVANE_CHECK_ALL:-0} == 1 ]]
}

inputs_key() {
  {
    # A file that cannot be read shows as sha256sum's message.
    xargs -r -d '\n' sha256sum -- <"$1" 2>&1 || true
    find src tests bench -type f 2>/dev/null | sort |
      awk -F/ 'NR == FNR { names[$NF] = 1; next } $NF in names' "$1" -
  } | sha256sum | cut -d ' ' -f 1
}

changed_since() {
  local newer
  newer=$(xargs -r -d '\n' sh -c 'find "$@" -maxdepth 0 -newer "$0" 2>&1 || echo missing' "$1" <"$2" ||
            echo unknown)
  [[ -n $newer ]]
}

new_stamp() {
  touch -d '1 second ago' "$1"
}

rule_files() {
  # Continued lines joined, the targets dropped, escaped blanks kept in names.
  sed -s -e 's/\\$//' -e '1s/^[^:]*: *//' -e 's/\\ /\x01/g' "$@" | tr -s '[:blank:]' '\n' | grep -v '^$' |
    tr '\001' ' '
}
