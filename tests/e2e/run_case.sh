#!/usr/bin/env bash
# run_case.sh HOST PLUGIN_DIR CASE [VARIANT...]
# Lays out a host folder with the plug-in installed in Plugins\Kolvar\, lets
# CASE.setup (if there is one) change it, runs CASE.script through the reference
# host under Wine and compares the transcript with CASE.expected.
#
# A VARIANT runs the same case in another setting, with the same expected
# transcript: ansi-loop, the host's message loop takes messages in their ANSI
# form; cp1251, the system's ANSI code page is 1251 (a Russian system); NNNdpi
# (say 144dpi), the screen has that many dots per inch, as Wine's users set it
# (LogPixels), and the prefix gets its own setting back afterwards.
# KOLVAR_E2E_DPI=NNN does the same for a case run by hand.
#
# CASE.normalise, a sed script, is applied to the transcript before comparing.
# CASE.setup is bash run inside the host folder; it may set the array host_args
# (for example --plugin 'Elsewhere\Other.dll').
set -euo pipefail
host=$1 plugin_dir=$2 case=$3
variants=("${@:4}")
label=$(basename "$case")
for variant in "${variants[@]}"; do label+=.$variant; done
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
source "$scripts/wine-env.sh"

# Windows need a display. Without one, make one for this case alone and let its
# Wine server end with it, so the next case does not meet a server on a dead display.
if [ -z "${DISPLAY:-}" ]; then
  status=0
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@" || status=$?
  wineserver -w || true
  exit $status
fi

kolvar_ensure_wine_prefix
# The setting a dpi case found, kept here until it is given back: a run cut short
# leaves it for the next case to give back.
dpi_key='HKCU\Control Panel\Desktop'
dpi_kept=$WINEPREFIX/.kolvar-dpi-kept
give_dpi_back() {
  [ -f "$dpi_kept" ] || return 0
  local kept
  kept=$(cat "$dpi_kept")
  if [ -z "$kept" ]; then
    wine reg delete "$dpi_key" /v LogPixels /f >/dev/null 2>&1 || true
  else
    wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$kept" /f >/dev/null 2>&1
  fi
  rm -f "$dpi_kept"
  # Every process of the prefix, the desktop's too, reads it when it starts.
  wineserver -w || true
}
give_dpi_back
dpi=${KOLVAR_E2E_DPI:-}
for variant in "${variants[@]}"; do
  if [[ $variant =~ ^([0-9]+)dpi$ ]]; then dpi=${BASH_REMATCH[1]}; fi
done
if [ -n "$dpi" ]; then
  kept=$(wine reg query "$dpi_key" /v LogPixels 2>/dev/null | tr -d '\r' |
    awk '$1 == "LogPixels" { print $3 }' || true)
  printf '%s' "${kept:+$((kept))}" >"$dpi_kept"
  wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w || true
fi

work=$(mktemp -d)
# A case may have made a folder unwritable (chattr +i as root, who writes through
# permissions): given back first (a link has no flags to give), so the folder can go.
trap 'chattr -R -i "$work" 2>/dev/null || true; chmod -R u+w "$work"; rm -rf "$work"; give_dpi_back' EXIT
mkdir -p "$work/Plugins/Kolvar"
cp -r "$plugin_dir"/. "$work/Plugins/Kolvar/"
cp "$host" "$work/kolvar-host.exe"
host_args=()
settings_file=$work/Plugins/Kolvar/settings.ini

# set_setting LABEL VALUE: the line beginning with LABEL gets VALUE behind it.
set_setting() {
  LABEL=$1 VALUE=$2 perl -pi -e 's/^\Q$ENV{LABEL}\E.*\r$/$ENV{LABEL}$ENV{VALUE}\r/' "$settings_file"
}
# add_list_entry SECTION ENTRY: ENTRY becomes the first line of the list SECTION.
add_list_entry() {
  SECTION=$1 ENTRY=$2 perl -pi -e '$_ .= "$ENV{ENTRY}\r\n" if /^\Q$ENV{SECTION}\E\r$/' "$settings_file"
}
# The Windows form of a folder below the host folder, with its trailing backslash.
windows_path() {
  printf 'Z:%s\\' "$(cd "$1" && pwd | tr / '\\')"
}

if [ -f "$case.setup" ]; then
  pushd "$work" >/dev/null
  source "$case.setup"
  popd >/dev/null
fi
cp "$case.script" "$work/case.script"
# After the setup, which may choose a language of its own.
for variant in "${variants[@]}"; do
  case $variant in
    ansi-loop) host_args+=(--ansi-loop) ;;
    cp1251)
      # Wine takes the code page from the locale's name; glibc may know no ru_RU, so
      # the name is given C.UTF-8's data (file names stay UTF-8).
      mkdir "$work/locale"
      ln -s /usr/lib/locale/C.utf8 "$work/locale/ru_RU.UTF-8"
      export LOCPATH=$work/locale
      export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
      ;;
    [0-9]*dpi) ;;  # set before the prefix's processes started
    *) echo "run_case.sh: unknown variant $variant" >&2; exit 2 ;;
  esac
done

status=0
(cd "$work" && timeout 120 wine kolvar-host.exe "${host_args[@]}" case.script) \
  >"$work/actual" 2>"$work/stderr" || status=$?

# Pictures the case took are kept where the build says.
if [ -n "${KOLVAR_E2E_ARTEFACTS:-}" ]; then
  mkdir -p "$KOLVAR_E2E_ARTEFACTS"
  # A dpi set by hand names the pictures too.
  if [ -n "$dpi" ] && [[ $label != *".${dpi}dpi"* ]]; then label+=.${dpi}dpi; fi
  for picture in "$work"/*.bmp; do
    [ -f "$picture" ] && cp "$picture" "$KOLVAR_E2E_ARTEFACTS/$label-$(basename "$picture")"
  done
  # As the host wrote it, times included, before the normalising below.
  cp "$work/actual" "$KOLVAR_E2E_ARTEFACTS/$label.transcript" 2>/dev/null || true
fi

# Transcripts of guides made relative to now differ in their dates and times:
# CASE.normalise (a sed script) makes them comparable.
if [ -f "$case.normalise" ]; then
  sed -i -f "$case.normalise" "$work/actual"
fi

# KOLVAR_E2E_UPDATE=1 makes the transcript the expected one (review it with git diff);
# a variant's run is only compared with it.
if [ "${KOLVAR_E2E_UPDATE:-}" = 1 ] && [ $status -eq 0 ] && [ ${#variants[@]} -eq 0 ]; then
  cp "$work/actual" "$case.expected"
fi
if [ $status -ne 0 ] || ! diff -u "$case.expected" "$work/actual" >"$work/diff"; then
  echo "case $label: host exit $status"
  cat "$work/diff" 2>/dev/null || true
  echo "--- transcript"
  cat "$work/actual"
  echo "--- stderr"
  head -50 "$work/stderr"
  exit 1
fi
echo "case $label: transcript as expected ($(wc -l <"$work/actual") lines)"
