#!/usr/bin/env bash
# The main job: builds Kolvar.dll, the reference host and a sample guide around
# now, lays out a host folder with the plug-in installed in Plugins\Kolvar\ and
# pointed at the guide, and runs the host under Wine on a virtual display. The
# host opens the plug-in; the terminal shows, as they arrive, the search messages,
# the reminders (repeated until acknowledged or the repeat count is reached), and
# a walk through what is due; last, the window's picture is written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target kolvar_plugin kolvar-host >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target jtvgen kolvar-find >/dev/null

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
# The last keyword is Russian, "Новости" (news), in Windows-1251 as the file keeps it.
for w in News Film Sport Show "$(printf 'Новости' | iconv -f UTF-8 -t WINDOWS-1251)"; do
  WORD=$w perl -pi -e '$_ .= "$ENV{WORD}\r\n" if /^\[Words\]\r$/' "$demo/Plugins/Kolvar/settings.ini"
done
repeat=$(sed -n 's/^Repeat Count = \([0-9-]*\)\r$/\1/p' "$demo/Plugins/Kolvar/settings.ini")
cat >"$demo/demo.script" <<SCRIPT
settle
echo Kolvar has opened and searched the 20 channels in C:\\TV\\Guide\\ for News, Film, Sport, Show and Новости.
echo The host asks for reminders (BEAT): the first programme due is announced at once,
echo then again every 2 seconds, $repeat times in all unless the user acknowledges it first.
command BEAT
waitfor NOTIF
waitfor NOTIF
echo After its last notice the next programme due follows; the user acknowledges it
echo at once (UNDERSTOOD), and the one after it is announced:
waitfor NOTIF
command UNDERSTOOD
waitfor NOTIF
echo The host walks through the programmes due within the hour (SHOWUNTILNEXT):
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
command SHOWUNTILNEXT
echo Reminders off (REMINDOFF). The preferences window, with the results listed:
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
# What the host prints reaches the terminal readable, in its own encoding; the
# whole transcript is kept in transcript.txt.
(cd "$demo" && xvfb-run -a -s "-screen 0 1024x768x24" wine kolvar-host.exe demo.script 2>/dev/null) |
  python3 "$root/scripts/demo_view.py" "$demo/transcript.txt"
wineserver -w 2>/dev/null || true
python3 "$root/scripts/bmp2png.py" "$demo/window.bmp" "$demo/window.png"

# The same search from the command line, with the keywords in a UTF-8 file as a
# Linux editor saves them, and the list in UTF-8 for the terminal.
printf '%s\n' News Film Sport Show Новости >"$demo/keywords.txt"
echo "The same search from the command line (kolvar-find --encoding utf-8), the Russian matches:"
build/native/tools/kolvar-find/kolvar-find --encoding utf-8 "$demo/Guide" "$demo/keywords.txt" \
  >"$demo/results.txt"
python3 -c 'import re, sys
print("".join([l for l in open(sys.argv[1], encoding="utf-8") if re.search("[\u0400-\u04ff]", l)][:5]), end="")' \
  "$demo/results.txt"
echo "... $(wc -l <"$demo/results.txt") results in all, listed in $demo/results.txt"
echo "The window as it was shown: $demo/window.png"
