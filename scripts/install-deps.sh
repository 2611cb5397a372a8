#!/usr/bin/env bash
# Installs what the build and the tests need. Idempotent: when everything is
# already present it only checks and returns.
set -euo pipefail

need=(cmake ninja-build g++ googletest libbenchmark-dev g++-mingw-w64-i686
      binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth clang-format clang
      libclang-rt-14-dev)

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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
