#!/usr/bin/env bash
# The main job: builds Kolvar.dll, the reference host and a sample guide around
# now, lays out a host folder with the plug-in installed in Plugins\Kolvar\ and
# pointed at the guide, and runs the host under Wine on a virtual display. The
# host opens the plug-in; the terminal shows, as they arrive, the search messages,
# the reminders repeated until acknowledged, and a walk through what is due.
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
mkdir -p "$demo/Plugins/Kolvar"
# The guide where a user keeps one, C:\TV\Guide\ (Wine's drive C is in its prefix).
kolvar_ensure_wine_prefix
guide_dir=$WINEPREFIX/drive_c/TV/Guide
rm -rf "$guide_dir"
mkdir -p "$guide_dir"
ln -s "$guide_dir" "$demo/Guide"
cp -r build/win32/Kolvar/. "$demo/Plugins/Kolvar/"
cp build/win32/kolvar-host.exe "$demo/"

# A sample guide of 20 channels for a day, whose first programmes started half an
# hour ago, so some are on now and more start within the hour; the plug-in's
# settings point at it, check every channel, look for four keywords, remind of
# programmes due within the hour and give a notice every two seconds.
build/native/tools/jtvgen/jtvgen --out "$demo/Guide" --channels 20 --days 1 --start-minutes -30 --seed 2026
guide='C:\TV\Guide\'
channels=$(cd "$demo/Guide" && printf '%s\r\n' *.ndx)
GUIDE=$guide CHANNELS=$channels perl -pi -e 's/^PATH = .*\r$/PATH = $ENV{GUIDE}\r/;
  s/^NotiseDelay = .*\r$/NotiseDelay = 2\r/; s/^PreviewTime = .*\r$/PreviewTime = 60\r/;
  s/^Until Minutes = .*\r$/Until Minutes = 60\r/; $_ .= "$ENV{CHANNELS}\n" if /^\[Channels\]\r$/' \
  "$demo/Plugins/Kolvar/settings.ini"
# The last keyword is Russian, "Novosti" (news), in Windows-1251 as the file keeps it.
for w in News Film Sport Show "$(printf '\xcd\xee\xe2\xee\xf1\xf2\xe8')"; do
  WORD=$w perl -pi -e '$_ .= "$ENV{WORD}\r\n" if /^\[Words\]\r$/' "$demo/Plugins/Kolvar/settings.ini"
done
# The template shows a browsed entry's position and the count.
perl -pi -e 'if ($template) { $_ = "%i/%a %b-%e %s (%c)\r\n"; $template = 0 }
  $template = 1 if /^\[Out str format\]\r$/' "$demo/Plugins/Kolvar/settings.ini"
cat >"$demo/demo.script" <<'SCRIPT'
settle
echo Kolvar has opened and searched 20 channels for News, Film, Sport, Show and Novosti.
echo The host asks for reminders now (BEAT): the first programme due is announced,
echo and announced again at every notice until it is acknowledged.
command BEAT
waitfor NOTIF
echo The user acknowledges it (UNDERSTOOD); the next programme due follows.
command UNDERSTOOD
waitfor NOTIF
waitfor NOTIF
echo The host walks through the programmes due within the hour:
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
echo Reminders off. The preferences window, with the results listed:
command REMINDOFF
setup
command REFINDVIS
settle 1000
click 20 28
settle
screenshot window.bmp
close
SCRIPT

wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
kolvar_ensure_wine_prefix
wineserver -w 2>/dev/null || true
echo "Host folder: $demo"
(cd "$demo" && xvfb-run -a -s "-screen 0 1024x768x24" wine kolvar-host.exe demo.script 2>/dev/null)
wineserver -w 2>/dev/null || true
python3 "$root/scripts/bmp2png.py" "$demo/window.bmp" "$demo/window.png"
echo "The window as it was shown: $demo/window.png"
