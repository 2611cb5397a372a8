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
