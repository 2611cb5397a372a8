#!/usr/bin/env bash
# The main job: builds Kolvar.dll and the reference host, lays out a host folder
# with the plug-in installed in Plugins\Kolvar\, and runs the host under Wine on a
# virtual display. The host opens the plug-in, shows what it says, and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target kolvar_plugin kolvar-host >/dev/null

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/Plugins/Kolvar"
cp -r build/win32/Kolvar/. "$demo/Plugins/Kolvar/"
cp build/win32/kolvar-host.exe "$demo/"
cat >"$demo/demo.script" <<'SCRIPT'
settle
echo Kolvar is open; its preferences window, hidden until Setup:
windows
setup
windows
echo Asking the plug-in whether results are sorted:
command SORTEDSTATUS
echo A new search, announced to the host when it ends:
command REFIND
settle
command SEARCHSTATUS
close
SCRIPT

wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
kolvar_ensure_wine_prefix
wineserver -w 2>/dev/null || true
echo "Host folder: $demo"
(cd "$demo" && xvfb-run -a -s "-screen 0 1024x768x24" wine kolvar-host.exe demo.script 2>/dev/null)
wineserver -w 2>/dev/null || true
