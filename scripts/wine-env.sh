# Sourced by the scripts that run Windows programs: the project's own Wine prefix
# inside the build tree, kept quiet, without the Mono and Gecko installers.
kolvar_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$kolvar_root/build/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Creates the prefix once. It must be made on a display: a prefix made without one
# leaves a desktop process behind that makes later window-creating runs fail.
kolvar_ensure_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.kolvar-ready" ]; then
      if [ -n "${DISPLAY:-}" ]; then
        wine wineboot -i >/dev/null 2>&1
      else
        xvfb-run -a wine wineboot -i >/dev/null 2>&1
        wineserver -w
      fi
      touch "$WINEPREFIX/.kolvar-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Builds the plug-in, its skin and the reference host, and lays out the host
# folder DIR with the plug-in installed in Plugins\Kolvar\ (the rest of DIR kept).
kolvar_host_folder() {
  local dir=$1
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j "$(nproc)" --target kolvar_plugin kolvar-host kolvar_skin >/dev/null
  rm -rf "$dir/Plugins"
  mkdir -p "$dir/Plugins/Kolvar"
  cp -r "$kolvar_root/build/win32/Kolvar/." "$dir/Plugins/Kolvar/"
  cp "$kolvar_root/build/win32/kolvar-host.exe" "$dir/"
}

# Runs the host of the folder DIR on its script SCRIPT under a Wine server of its
# own and a virtual display, writing DIR/transcript; when the host fails, shows
# the transcript's end and returns 1.
kolvar_run_host() {
  local dir=$1 script=$2
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  kolvar_ensure_wine_prefix
  wineserver -w 2>/dev/null || true
  if ! (cd "$dir" && xvfb-run -a -s "-screen 0 1024x768x24" wine kolvar-host.exe "$script" \
    >transcript 2>/dev/null); then
    echo "the host failed:"
    tail -20 "$dir/transcript"
    return 1
  fi
  wineserver -w 2>/dev/null || true
}

# The big guide of the memory and responsiveness measurements: CHANNELS channels
# over 14 days in DIR/Guide (kept between runs of the same size), and the plug-in
# installed in DIR pointed at it, every channel checked, full search, no result
# limit worth the name. Needs jtvgen of the native preset.
kolvar_big_guide() {
  local dir=$1 channels=$2 guide list
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$(nproc)" --target jtvgen >/dev/null
  if [ "$(cat "$dir/Guide/.channels" 2>/dev/null)" != "$channels" ]; then
    rm -rf "$dir/Guide"
    "$kolvar_root/build/native/tools/jtvgen/jtvgen" --out "$dir/Guide" --channels "$channels" \
      --days 14 --start-minutes -30 --seed 7 >/dev/null
    echo "$channels" >"$dir/Guide/.channels"
  fi
  guide="Z:$(cd "$dir/Guide" && pwd | tr / '\\')\\"
  list=$(cd "$dir/Guide" && printf '%s\r\n' *.ndx)
  GUIDE=$guide CHANNELS=$list perl -pi -e 's/^PATH = .*\r$/PATH = $ENV{GUIDE}\r/;
    s/^FullSearch = .*\r$/FullSearch = TRUE\r/; s/^MAX_RESULT_COUNT = .*\r$/MAX_RESULT_COUNT = 1000000\r/;
    $_ .= "$ENV{CHANNELS}\n" if /^\[Channels\]\r$/' "$dir/Plugins/Kolvar/settings.ini"
}
