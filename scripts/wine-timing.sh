#!/usr/bin/env bash
# wine-timing.sh: the search under Wine through the reference host, on the
# benchmark's guide (300 channels over 14 days) with its 100 keywords as users
# write them, in find mode 3, every channel checked, a full search, the results listed into the window.
# Prints how long a run takes from the click of the Search button until its
# completion message arrives (twice, the time taken inside that message), and, during a third run, the worst reply time of host commands
# sent again and again (SEARCHSTATUS, FREEZESEARCH, SEARCHSTATUS, RESUMESEARCH).
# wine-timing.sh --modes "3 6" [ROUNDS]: instead, the host started anew for each
# mode in turn, ROUNDS times (default 3), two searches a start; prints each
# mode's runs and their median, so the modes share the machine's drift.
set -euo pipefail
modes=""
rounds=3
if [[ "${1:-}" == "--modes" ]]; then
  modes=${2:?usage: scripts/wine-timing.sh [--modes "M1 M2 ..." [ROUNDS]]}
  rounds=${3:-3}
fi
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target search_bench >/dev/null

# The benchmark writes its guide (when it is missing or another) before anything else.
guide_dir=build/release/bench/search-guide
build/release/bench/search_bench --keywords >/dev/null

dir=$root/build/wine-timing
kolvar_host_folder "$dir"
guide="Z:$(cd "$guide_dir" && pwd | tr / '\\')\\"
channels=$(cd "$guide_dir" && printf '%s\r\n' *.ndx)
words=$(build/release/bench/search_bench --keywords | sed 's/$/\r/')
GUIDE=$guide CHANNELS=$channels WORDS=$words perl -pi -e 's/^PATH = .*\r$/PATH = $ENV{GUIDE}\r/;
  s/^FullSearch = .*\r$/FullSearch = TRUE\r/; s/^Find_Mode = .*\r$/Find_Mode = 3\r/;
  s/^MAX_RESULT_COUNT = .*\r$/MAX_RESULT_COUNT = 1000000\r/;
  $_ .= "$ENV{CHANNELS}\n" if /^\[Channels\]\r$/; $_ .= "$ENV{WORDS}\n" if /^\[Words\]\r$/' \
  "$dir/Plugins/Kolvar/settings.ini"

# Two timed searches: the second and fourth "elapsed" are their runs.
searches=$(cat <<'SCRIPT'
settle 3000
setup
settle
elapsed
when SEARCHSTATUS:COMPLETE elapsed
click 200 280
settle 2000
elapsed
when SEARCHSTATUS:COMPLETE elapsed
click 200 280
settle 2000
SCRIPT
)
searches+=$'\n'
if [[ -n "$modes" ]]; then
  printf '%sclose\n' "$searches" >"$dir/modes.script"
  declare -A taken
  for ((round = 1; round <= rounds; round++)); do
    for mode in $modes; do
      perl -pi -e "s/^Find_Mode = .*\r\$/Find_Mode = $mode\r/" "$dir/Plugins/Kolvar/settings.ini"
      kolvar_run_host "$dir" modes.script
      taken[$mode]+="$(grep -a '^elapsed' "$dir/transcript" | sed -n '2p;4p' | cut -d = -f 2 | tr '\n' ' ')"
    done
  done
  for mode in $modes; do
    median=$(printf '%s\n' ${taken[$mode]} | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
    echo "mode $mode (Search button to completion message, ms): ${taken[$mode]}median $median"
  done
  exit 0
fi

{
  printf '%s' "$searches"
  cat <<'SCRIPT'
click 200 280
probe 3000 SEARCHSTATUS FREEZESEARCH SEARCHSTATUS RESUMESEARCH
settle 2000
controls
close
SCRIPT
} >"$dir/timing.script"

kolvar_run_host "$dir" timing.script
results=$(grep -a -o 'text="ListBoxFind" count=[0-9]*' "$dir/transcript" | tail -n 1 | cut -d = -f 3)
runs=$(grep -a '^elapsed' "$dir/transcript" | sed -n '2p;4p' | cut -d = -f 2 | tr '\n' ' ')
echo "results listed: ${results:-?}"
echo "search runs (Search button to completion message, ms): $runs"
grep -a '^probe' "$dir/transcript"
