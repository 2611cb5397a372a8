#!/usr/bin/env bash
# Runs every fuzzer for SECONDS each (default 60), one after another, each on a
# corpus of its own under build/fuzz-corpus/<name>/ that grows from run to run
# (seeded from fuzz/corpus/<name>/ the first time). Prints each fuzzer's
# executions and coverage; exits non-zero when one finds a crash, naming the
# file that reproduces it.
#
#   scripts/fuzz.sh [SECONDS] [--runs N] [--only NAME[,NAME...]] [--max-len BYTES]
#
# --runs stops each fuzzer after N executions (SECONDS still bounds it);
# --only runs the named fuzzers alone, so long runs can share the cores;
# --max-len bounds the inputs (libFuzzer's -max_len), for a fuzzer whose cost
# grows fast with its input's length.
#
# KOLVAR_FUZZ_BUILD_DIR builds elsewhere than build/fuzz (the fuzz preset's
# settings all the same); KOLVAR_FUZZ_CORPUS_DIR keeps the corpora elsewhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

usage() {
  echo "usage: scripts/fuzz.sh [SECONDS] [--runs N] [--only NAME[,NAME...]] [--max-len BYTES]   (whole numbers above 0)" >&2
  exit 2
}
seconds=60
runs=
only=
maxlen=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) [ $# -ge 2 ] || usage; runs=$2; shift 2 ;;
    --only) [ $# -ge 2 ] || usage; only=$2; shift 2 ;;
    --max-len) [ $# -ge 2 ] || usage; maxlen=$2; shift 2 ;;
    *) seconds=$1; shift ;;
  esac
done
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage
[ -z "$runs" ] || [[ "$runs" =~ ^[1-9][0-9]*$ ]] || usage
[ -z "$maxlen" ] || [[ "$maxlen" =~ ^[1-9][0-9]*$ ]] || usage

"$root/scripts/install-deps.sh"

build=${KOLVAR_FUZZ_BUILD_DIR:-build/fuzz}
corpora=${KOLVAR_FUZZ_CORPUS_DIR:-build/fuzz-corpus}
artifacts=$build/fuzz-artifacts
logs=$build/fuzz-logs

echo "== fuzz: build in $build"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)"

# The targets CTest runs are the ones registered in fuzz/CMakeLists.txt, so this
# list cannot drift from it.
mapfile -t names < <(ctest --test-dir "$build" -N | sed -n -E 's/^ *Test +#[0-9]+: fuzz\.//p')
if [ ${#names[@]} -eq 0 ]; then
  echo "fuzz: no fuzzers registered in $build" >&2
  exit 1
fi
mkdir -p "$artifacts" "$logs"

status=0
for name in "${names[@]}"; do
  if [ -n "$only" ] && [[ ",$only," != *",$name,"* ]]; then continue; fi
  corpus=$corpora/$name
  if [ ! -d "$corpus" ]; then
    mkdir -p "$corpus"
    if [ -d "fuzz/corpus/$name" ]; then cp -R -- "fuzz/corpus/$name/." "$corpus/"; fi
  fi
  args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/$name-")
  if [ -n "$runs" ]; then args+=(-runs="$runs"); fi
  if [ -n "$maxlen" ]; then args+=(-max_len="$maxlen"); fi
  if [ -f "fuzz/$name.dict" ]; then args+=(-dict="fuzz/$name.dict"); fi
  log=$logs/$name.log

  echo "== $name: ${seconds}s${runs:+ or $runs executions}"
  if "$build/fuzz/$name" "${args[@]}" "$corpus" >"$log" 2>&1; then
    result=ok
  else
    result=failed
    status=1
  fi
  executions=$(sed -n -E 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
  # The last coverage figure libFuzzer printed is the final one ("DONE cov: N").
  coverage=$({ grep -a -o -E 'cov: [0-9]+' "$log" || true; } | tail -n 1 | cut -d ' ' -f 2)
  echo "$name: executions ${executions:-?}, coverage ${coverage:-?}, $result"
  if [ "$result" = failed ]; then
    crash=$(sed -n -E 's/.*Test unit written to (.+)$/\1/p' "$log" | tail -n 1)
    grep -a -E 'ERROR:|SUMMARY:|runtime error' "$log" | head -n 5 >&2 || true
    echo "$name: crash file ${crash:-(none written)}; log $log" >&2
  fi
done
exit $status
