#!/usr/bin/env bash
# wine-timing.sh: the search under Wine through the reference host, on the
# benchmark's guide (300 channels over 14 days) with its 100 keywords as users
# write them, in find mode 3, every channel checked, a full search, the results listed into the window.
# Prints how long a run takes from the click of the Search button until its
# completion message arrives (twice, the time taken inside that message), and, during a third run, the worst reply time of host commands
# sent again and again (SEARCHSTATUS, FREEZESEARCH, SEARCHSTATUS, RESUMESEARCH).
set -euo pipefail
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

cat >"$dir/timing.script" <<'SCRIPT'
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
click 200 280
probe 3000 SEARCHSTATUS FREEZESEARCH SEARCHSTATUS RESUMESEARCH
settle 2000
controls
close
SCRIPT

kolvar_run_host "$dir" timing.script
results=$(grep -a -o 'text="ListBoxFind" count=[0-9]*' "$dir/transcript" | tail -n 1 | cut -d = -f 3)
runs=$(grep -a '^elapsed' "$dir/transcript" | sed -n '2p;4p' | cut -d = -f 2 | tr '\n' ' ')
echo "results listed: ${results:-?}"
echo "search runs (Search button to completion message, ms): $runs"
grep -a '^probe' "$dir/transcript"
