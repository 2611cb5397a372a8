#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the project's own code:
# src/ and tools/ as the native preset compiles them, then what only the Win32
# build compiles (src/win32/, tools/host/) as the win32 preset does. Prints the
# findings by file and fails on any. Configures a preset whose compile database
# is missing; builds nothing.
#
#   scripts/tidy.sh [-j JOBS] [--native-only]
#
# clang-tidy is CPU heavy: it runs under nice, two jobs unless told otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

jobs=2
win32=1
while [ $# -gt 0 ]; do
  case $1 in
    -j) jobs=$2; shift 2 ;;
    -j*) jobs=${1#-j}; shift ;;
    --native-only) win32=0; shift ;;
    *) echo "usage: $0 [-j JOBS] [--native-only]" >&2; exit 2 ;;
  esac
done

for tool in clang-tidy run-clang-tidy; do
  if ! command -v "$tool" >/dev/null; then
    echo "tidy: $tool not found (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
done

# run-clang-tidy takes regular expressions for the files to check.
root_re=$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$root")
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT

compile_database() {
  local preset=$1
  if [ ! -f "build/$preset/compile_commands.json" ]; then
    echo "== tidy: configuring the $preset preset for its compile database"
    cmake --preset "$preset" >/dev/null
  fi
}

# clang reads what g++ was told; the GCC-only warning switches are not its concern.
status=0
compile_database native
echo "== tidy: native: src/ tools/ (-j $jobs)"
nice run-clang-tidy -quiet -j "$jobs" -p build/native \
  -extra-arg=-Wno-unknown-warning-option \
  "^$root_re/(src|tools)/.*\.cc$" >>"$raw" 2>&1 || status=1

if [ "$win32" -eq 1 ]; then
  compile_database win32
  # clang does not find the cross compiler's libstdc++ by itself: ask g++ for it.
  # sed quits at the first: piped to head, it could write again after head had
  # gone and die of SIGPIPE, which pipefail makes this script's silent end.
  cross=$(sed -n -E '/"command": "[^ ]*g\+\+/{s/.*"command": "([^ ]*g\+\+[^ ]*) .*/\1/p;q}' \
    build/win32/compile_commands.json)
  cross=${cross:-i686-w64-mingw32-g++-posix}
  cross_args=(-extra-arg=--target=i686-w64-mingw32 -extra-arg=-Wno-unknown-warning-option)
  while read -r dir; do
    cross_args+=("-extra-arg=-isystem$dir")
  done < <("$cross" -xc++ -E -v /dev/null 2>&1 | sed -n -E 's|^ +(/.*/include/c\+\+.*)$|\1|p')
  echo "== tidy: win32: src/win32/ tools/host/ (-j $jobs)"
  nice run-clang-tidy -quiet -j "$jobs" -p build/win32 "${cross_args[@]}" \
    "^$root_re/(src/win32|tools/host)/.*\.cc$" >>"$raw" 2>&1 || status=1
fi

# One line a finding, grouped under its file; a header seen from many sources is
# reported once. A function's size comes from the note that follows its finding.
report=$(sed -E 's/\x1b\[[0-9;]*m//g' "$raw" | awk -v root="$root/" '
  function flush() {
    if (key != "" && !(key in seen)) { seen[key] = 1; print out }
    key = ""
  }
  /^[^ ].*:[0-9]+:[0-9]+: (warning|error): / {
    flush()
    line = $0
    if (index(line, root) == 1) line = substr(line, length(root) + 1)
    match(line, /:[0-9]+:[0-9]+: (warning|error): /)
    file = substr(line, 1, RSTART - 1)
    where = substr(line, RSTART + 1, RLENGTH - 1)
    sub(/: (warning|error): $/, "", where)
    text = substr(line, RSTART + RLENGTH)
    check = ""
    if (match(text, / \[[^]]+\]$/)) {
      check = substr(text, RSTART + 2, RLENGTH - 3)
      sub(/,-warnings-as-errors$/, "", check)
      text = substr(text, 1, RSTART - 1)
    }
    key = file ":" where ":" check
    out = file "\t" where "\t" check "\t" text
    next
  }
  /^(warning|error): / {
    flush()
    key = $0; out = "(command line)\t-\t-\t" $0
    next
  }
  /: note: [0-9]+ lines including whitespace and comments/ {
    if (key != "" && match($0, /[0-9]+ lines including/)) {
      out = out " (" substr($0, RSTART, RLENGTH - 10) ")"
    }
    next
  }
  END { flush() }' | sort -t $'\t' -k1,1 -k2,2V)

if [ -n "$report" ]; then
  count=$(wc -l <<<"$report")
  files=$(cut -f1 <<<"$report" | sort -u | wc -l)
  echo "tidy: $count findings in $files files:" >&2
  awk -F '\t' '$1 != last { print $1; last = $1 } { printf "  %s  [%s] %s\n", $2, $3, $4 }' \
    <<<"$report" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  # clang-tidy failed without a finding to show: its own words say why.
  sed -E 's/\x1b\[[0-9;]*m//g' "$raw" | grep -v -E '^clang-tidy|warnings? generated' >&2 || true
  echo "tidy: clang-tidy failed" >&2
  exit 1
fi
echo "tidy: no findings"
