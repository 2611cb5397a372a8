#!/usr/bin/env bash
# Runs every test: the core natively, again under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, the fuzzers for a bounded
# time, the same cases cross-compiled and run under Wine, and the end-to-end host
# tests under Wine on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"

# Layout first: a badly formatted tree fails before anything is built. Checks
# only (--dry-run), and names every file that differs from .clang-format.
check_format() {
  local tracked=() files=() file report offenders
  mapfile -d '' tracked < <(git ls-files -z -- \
    'src/*.cc' 'src/*.h' 'tests/*.cc' 'tests/*.h' 'tools/*.cc' 'tools/*.h' \
    'fuzz/*.cc' 'fuzz/*.h' 'bench/*.cc' 'bench/*.h')
  # A file deleted but not yet committed has no layout to check.
  for file in "${tracked[@]}"; do
    if [ -f "$file" ]; then files+=("$file"); fi
  done
  if [ ${#files[@]} -eq 0 ]; then
    echo "format: no tracked C++ files found (is this a git checkout?)" >&2
    return 1
  fi
  echo "== format: ${#files[@]} files"
  if report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    return 0
  fi
  offenders=$(sed -n -E 's/^(.+):[0-9]+:[0-9]+: (error|warning): code should be clang-formatted.*/\1/p' \
    <<<"$report" | sort -u)
  if [ -z "$offenders" ]; then
    # clang-format itself failed: show why rather than guess.
    echo "$report" >&2
    echo "format: clang-format failed ($(clang-format --version))" >&2
  else
    echo "format: these files differ from .clang-format (fix with clang-format -i):" >&2
    sed 's/^/  /' <<<"$offenders" >&2
  fi
  return 1
}
check_format || exit 1

# clang-tidy before any build: it needs only the compile databases, which
# configuring writes. Any finding fails the run here.
cmake --preset native >/dev/null
cmake --preset win32 >/dev/null
"$root/scripts/tidy.sh" -j "$(nproc)" || exit 1

source "$root/scripts/wine-env.sh"

jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

run_preset() {
  local preset=$1
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: test"
  shift
  "$@" ctest --preset "$preset" -j "$jobs" 2>&1 | tee -a "$log"
  return "${PIPESTATUS[0]}"
}

# The fuzzers' own closing statistics (executions, coverage) are worth reading,
# so their run is verbose, filtered to those lines.
run_fuzzers() {
  echo "== fuzz: build"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  echo "== fuzz: test"
  ctest --preset fuzz -j "$jobs" -V 2>&1 |
    grep --line-buffered -E 'Test +#|stat::number_of_executed_units|stat::new_units_added|DONE +cov:|ERROR|SUMMARY|tests passed|tests failed' |
    tee -a "$log"
  return "${PIPESTATUS[0]}"
}

status=0
run_preset native || status=1
run_preset asan || status=1
run_preset tsan || status=1
run_fuzzers || status=1

# A Wine server left from an earlier display would break window creation.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
kolvar_ensure_wine_prefix
wineserver -w 2>/dev/null || true
run_preset win32 xvfb-run -a -s "-screen 0 1024x768x24" || status=1
wineserver -w 2>/dev/null || true

# One closing line over all the runs.
awk '/tests passed, [0-9]+ tests failed out of/ {
       total += $NF; failed += $4
     }
     END { printf "total: %d passed, %d failed\n", total - failed, failed }' "$log"
exit $status
