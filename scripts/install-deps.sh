#!/usr/bin/env bash
# Installs what the build and the tests need. Idempotent: when everything is
# already present it only checks and returns.
set -euo pipefail

need=(cmake ninja-build g++ googletest libbenchmark-dev g++-mingw-w64-i686
      binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth clang-format clang-tidy
      clang libclang-rt-14-dev python3-icalendar khal ugrep)

# How long to wait for another package installation to let go of apt's locks.
lock_wait_seconds=${INSTALL_DEPS_LOCK_WAIT:-600}

missing=()
for pkg in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# apt-get fails at once (exit 100, "Could not get lock") while another installation
# holds a lock, and DPkg::Lock::Timeout does not cover the lists lock that
# "apt-get update" takes (apt 2.6), so both commands are retried while that is the
# failure. The messages are read in English, whatever the user's language.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
apt_get() {
  local deadline=$((SECONDS + lock_wait_seconds)) status next_note=0
  while true; do
    if $SUDO env DEBIAN_FRONTEND=noninteractive LC_ALL=C apt-get "$@" 2>"$errors"; then
      status=0
    else
      status=$?
    fi
    if [ "$status" -eq 0 ] || ! grep -q 'Could not get lock' "$errors"; then
      cat "$errors" >&2
      return "$status"
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      cat "$errors" >&2
      echo "install-deps: gave up after ${lock_wait_seconds}s waiting for another package" \
        "installation to release apt's lock; run this again when it has finished" >&2
      return "$status"
    fi
    if [ "$SECONDS" -ge "$next_note" ]; then
      echo "install-deps: another package installation holds apt's lock" \
        "($(grep -m1 -o 'held by process.*' "$errors" || echo 'holder unknown'));" \
        "waiting up to $((deadline - SECONDS))s more (apt-get $1)" >&2
      next_note=$((SECONDS + 60))
    fi
    sleep 5
  done
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
