#!/usr/bin/env bash
# memory.sh [CHANNELS]: the host process's memory under Wine with a result list of
# about 200 000 programmes (a guide of CHANNELS channels, default 960, over 14
# days, every channel checked, a full search for "[", which every programme line
# holds, typed into the find box and started with the Find button) listed in the preferences window. Prints, side by side, the host with the
# plug-in open and its window shown before the search (the reference), after the
# result list is shown, after the same search again (the old list is shown while it
# runs), and the process's peak. The plug-in lives in a 32-bit process: its peak of
# private memory (what the process has committed, Wine's own libraries apart) is
# to stay below 64 MB.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
channels=${1:-960}
if ! [[ "$channels" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/memory.sh [CHANNELS]" >&2
  exit 2
fi
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

dir=$root/build/memory
kolvar_host_folder "$dir"
kolvar_big_guide "$dir" "$channels"

cat >"$dir/memory.script" <<'SCRIPT'
settle
setup
settle
stats
click 80 331
type [
click 200 303
settle 5000
stats
click 200 303
settle 5000
stats
controls
close
SCRIPT

# Wine keeps no peak of private memory (its peak is the current figure): the host's
# anonymous resident memory is read from outside every few milliseconds instead.
(
  pid=
  # Other hosts may run on the machine at the same time: this one runs in our prefix.
  ours() { tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; }
  for _ in $(seq 600); do
    for candidate in $(pgrep -f '^kolvar-host.exe'); do
      ours "$candidate" && pid=$candidate && break 2
    done
    sleep 0.05
  done
  peak=0
  while [ -n "$pid" ] && kb=$(awk '/^RssAnon:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) &&
    [ -n "$kb" ]; do
    [ "$kb" -gt "$peak" ] && peak=$kb
    sleep 0.005
  done
  echo "$peak" >"$dir/peak-private-kb"
) &
sampler=$!
kolvar_run_host "$dir" memory.script
wait "$sampler"
results=$(grep -o 'text="ListBoxFind" count=[0-9]*' "$dir/transcript" | tail -n 1 | cut -d = -f 3)
grep '^stats' "$dir/transcript" | awk -v results="${results:-?}" -v peak="$(cat "$dir/peak-private-kb")" '
  { for (i = 2; i <= NF; i++) { split($i, kv, "="); v[NR, kv[1]] = kv[2] } }
  END {
    if (NR < 3) { print "memory: fewer than three figures"; exit 1 }
    printf "%-28s %12s %12s\n", "", "private MB", "working MB"
    printf "%-28s %12.1f %12.1f\n", "window shown, no results", v[1, "memoryKB"] / 1024, v[1, "workingSetKB"] / 1024
    printf "%-28s %12.1f %12.1f\n", "results listed", v[2, "memoryKB"] / 1024, v[2, "workingSetKB"] / 1024
    printf "%-28s %12.1f %12.1f\n", "searched again", v[3, "memoryKB"] / 1024, v[3, "workingSetKB"] / 1024
    printf "%-28s %12.1f %12.1f\n", "peak", peak / 1024, v[3, "peakWorkingSetKB"] / 1024
    print "results listed: " results
    if (peak >= 64 * 1024) print "memory: the peak is not below 64 MB"
  }'
