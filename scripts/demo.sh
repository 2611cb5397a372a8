#!/usr/bin/env bash
# The main job: builds Kolvar.dll, the reference host and a sample guide, lays
# out a host folder with the plug-in installed in Plugins\Kolvar\ and pointed at
# the guide, and runs the host under Wine on a virtual display. The host opens the
# plug-in, drives it, shows everything it says, and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target kolvar_plugin kolvar-host >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target jtvgen >/dev/null

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/Plugins/Kolvar" "$demo/Guide"
cp -r build/win32/Kolvar/. "$demo/Plugins/Kolvar/"
cp build/win32/kolvar-host.exe "$demo/"

# A sample guide of 20 channels for a week, starting an hour and a half ago; the
# plug-in's settings point at it and check three channels.
build/native/tools/jtvgen/jtvgen --out "$demo/Guide" --channels 20 --days 7 --seed 2026
guide="Z:$(cd "$demo/Guide" && pwd | tr / '\\')\\"
GUIDE=$guide perl -pi -e 's/^PATH = .*\r$/PATH = $ENV{GUIDE}\r/;
  $_ .= "ch001.ndx\r\nch002.ndx\r\nch003.ndx\r\n" if /^\[Channels\]\r$/' \
  "$demo/Plugins/Kolvar/settings.ini"
for w in News Weather Football; do
  WORD=$w perl -pi -e '$_ .= "$ENV{WORD}\r\n" if /^\[Words\]\r$/' "$demo/Plugins/Kolvar/settings.ini"
done
cat >"$demo/demo.script" <<'SCRIPT'
settle
echo Kolvar has opened and searched the three checked channels for its keywords.
echo Its preferences window, with the results, the keywords and the channels:
controls
echo The host asks for a new search, announced when it ends:
command REFIND
settle
echo The host searches for one text and shows the list:
findit Nature
settle
command JOINFINDLIST
controls
close
SCRIPT

wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
kolvar_ensure_wine_prefix
wineserver -w 2>/dev/null || true
echo "Host folder: $demo"
(cd "$demo" && xvfb-run -a -s "-screen 0 1024x768x24" wine kolvar-host.exe demo.script 2>/dev/null)
wineserver -w 2>/dev/null || true
