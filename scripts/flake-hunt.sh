#!/usr/bin/env bash
# flake-hunt.sh [RUNS] [BUSY] [CTEST-ARGS...]: runs the Win32 suite (the core
# tests under Wine and every end-to-end case) RUNS times in a row (default 20)
# beside BUSY busy loops (default 2, one a core here), in a new random order
# each run, so that a case whose transcript depends on timing, or on what the
# case before it left behind (the pointer's place on the shared screen), shows
# itself. Prints each run's failures and,
# last, "N passed, N failed" over the runs; exits 1 if any run failed. Extra
# arguments go to ctest (for example -R e2e.skin_missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-20}
busy=${2:-2}
shift $(($# < 2 ? $# : 2))
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

# A build tree of its own, so other work may rebuild build/win32 meanwhile.
tree=$root/build/flake-hunt/win32
cmake --preset win32 -B "$tree" >/dev/null
cmake --build "$tree" -j "$(nproc)" >/dev/null

loops=()
stop_loops() {
  for pid in "${loops[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap stop_loops EXIT
for ((i = 0; i < busy; i++)); do
  (while :; do :; done) &
  loops+=($!)
done

logs=$root/build/flake-hunt/logs
rm -rf "$logs"
mkdir -p "$logs"
passed=0 failed=0
for ((run = 1; run <= runs; run++)); do
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  kolvar_ensure_wine_prefix
  wineserver -w 2>/dev/null || true
  start=$SECONDS
  if xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$tree" --schedule-random --output-on-failure "$@" \
    >"$logs/run-$run.log" 2>&1; then
    passed=$((passed + 1))
    echo "run $run: passed ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "run $run: FAILED ($((SECONDS - start)) s): $(grep -oE '[0-9]+ - [^ ]+ \(Failed\)' \
      "$logs/run-$run.log" | tr '\n' ' ')(log: $logs/run-$run.log)"
  fi
done
echo "runs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
