#!/usr/bin/env bash
# Builds the Windows plug-in and packs its folder into build/Kolvar-2.51.zip,
# holding Kolvar/ with Kolvar.dll, settings.ini, Skin/*.bmp, Help/index.htm and
# kolvar-find.exe (the search from the command line, for calendar exports):
# unzipped into a host's Plugins\ folder it gives Plugins\Kolvar\Kolvar.dll.
#
# KOLVAR_PACKAGE_BUILD_DIR  build there instead of the win32 preset's build/win32
#                           (same toolchain and options), e.g. to leave that one alone
# KOLVAR_PACKAGE_OUT        write the archive there instead of build/Kolvar-2.51.zip
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"

version=2.51
out=${KOLVAR_PACKAGE_OUT:-$root/build/Kolvar-$version.zip}
targets=(--target kolvar_plugin kolvar_skin kolvar-find)

# Only the plug-in, its skin and kolvar-find: the tests are not part of the package.
if [ -n "${KOLVAR_PACKAGE_BUILD_DIR:-}" ]; then
  build=$KOLVAR_PACKAGE_BUILD_DIR
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKOLVAR_TESTS=ON >/dev/null
  cmake --build "$build" -j "$(nproc)" "${targets[@]}" >/dev/null
else
  build=$root/build/win32
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j "$(nproc)" "${targets[@]}" >/dev/null
fi
plugin=$build/Kolvar

# Exactly the files that ship, whatever else a build may leave in the folder.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/Kolvar/Skin" "$stage/Kolvar/Help"
cp "$plugin/settings.ini" "$stage/Kolvar/"
# Users get the DLL without its symbols and debug sections; the unstripped one
# stays in the build folder for reading crash addresses.
i686-w64-mingw32-strip --strip-all -o "$stage/Kolvar/Kolvar.dll" "$plugin/Kolvar.dll"
headers=$(i686-w64-mingw32-objdump -p -h "$stage/Kolvar/Kolvar.dll")
for export in Open Close Setup ActionManual; do
  if ! grep -qE "\] $export\$" <<<"$headers"; then
    echo "package: the stripped Kolvar.dll lost its export $export" >&2
    exit 1
  fi
done
if grep -q '\.debug' <<<"$headers"; then
  echo "package: the stripped Kolvar.dll still has debug sections" >&2
  exit 1
fi
i686-w64-mingw32-strip --strip-all -o "$stage/Kolvar/kolvar-find.exe" \
  "$build/tools/kolvar-find/kolvar-find.exe"
cp "$plugin/Help/index.htm" "$stage/Kolvar/Help/"
cp "$plugin"/Skin/*.bmp "$stage/Kolvar/Skin/"
skins=$(find "$stage/Kolvar/Skin" -name '*.bmp' | wc -l)
if [ "$skins" -ne 34 ]; then
  echo "package: expected 34 skin images in $plugin/Skin, found $skins" >&2
  exit 1
fi

mkdir -p "$(dirname "$out")"
rm -f "$out"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd "$stage" && cmake -E tar cf "$out" --format=zip Kolvar)
echo "package: wrote $out ($(cmake -E tar tf "$out" | grep -vc '/$') files; Kolvar.dll" \
  "$(stat -c %s "$stage/Kolvar/Kolvar.dll") bytes, unstripped $(stat -c %s "$plugin/Kolvar.dll"))"
