#!/usr/bin/env bash
# soak.sh [CYCLES]: one host process opens and closes the plug-in CYCLES times
# (default 200) under Wine, each time running a search, the reminders and the
# browsing commands, and compares what the process holds after the tenth cycle
# with what it holds after the last: memory within 4 MB, kernel handles, GDI and
# user objects within 8, the same threads (none of the plug-in survives Close).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cycles=${1:-200}
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target jtvgen >/dev/null

soak=$root/build/soak
rm -rf "$soak"
kolvar_host_folder "$soak"
mkdir -p "$soak/Guide"
build/native/tools/jtvgen/jtvgen --out "$soak/Guide" --channels 20 --days 2 --start-minutes -30 \
  --seed 7 >/dev/null 2>&1
guide="Z:$(cd "$soak/Guide" && pwd | tr / '\\')\\"
channels=$(cd "$soak/Guide" && printf '%s\r\n' *.ndx)
GUIDE=$guide CHANNELS=$channels perl -pi -e 's/^PATH = .*\r$/PATH = $ENV{GUIDE}\r/;
  s/^PreviewTime = .*\r$/PreviewTime = 60\r/; $_ .= "$ENV{CHANNELS}\n" if /^\[Channels\]\r$/;
  $_ .= "News\r\nFilm\r\nSport\r\n" if /^\[Words\]\r$/' "$soak/Plugins/Kolvar/settings.ini"

{
  for ((i = 1; i <= cycles; i++)); do
    [ "$i" -gt 1 ] && echo open
    printf '%s\n' settle "command REFIND" settle "command BEAT" "command UNDERSTOOD" \
      "command SHOWUNTILNEXT" "command SHOWUNTILNEXT" "command SHOWUNTILBACK" \
      "findit News" settle setup close
    if [ "$i" -eq 10 ] || [ "$i" -eq "$cycles" ]; then echo stats; fi
  done
} >"$soak/soak.script"

echo "soak: $cycles cycles in $soak"
kolvar_run_host "$soak" soak.script
grep '^stats' "$soak/transcript"
grep '^stats' "$soak/transcript" | awk '
  { for (i = 2; i <= NF; i++) { split($i, kv, "="); v[NR, kv[1]] = kv[2] } }
  END {
    if (NR < 2) { print "soak: fewer than two figures"; exit 1 }
    bad = 0
    if (v[2, "memoryKB"] - v[1, "memoryKB"] > 4096) { print "soak: memory grew"; bad = 1 }
    if (v[2, "gdi"] - v[1, "gdi"] > 8 || v[2, "user"] - v[1, "user"] > 8 ||
        v[2, "handles"] - v[1, "handles"] > 8) {
      print "soak: handles, GDI or user objects grew"; bad = 1
    }
    if (v[2, "threads"] != v[1, "threads"]) { print "soak: threads differ"; bad = 1 }
    if (!bad) print "soak: steady"
    exit bad
  }'
