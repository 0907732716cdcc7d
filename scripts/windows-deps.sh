#!/usr/bin/env bash
# Puts the third-party pieces of the Windows build into one prefix, $WINDOWS_CACHE/deps (default
# .cache/windows/deps), and prints it:
#   - CLI11 and nlohmann-json: header-only; Debian's headers and CMake package files, placed so
#     that the cross build finds them without seeing the rest of the build machine's /usr;
#   - libcsv: Debian ships no mingw build; its source package is one C file, compiled here into
#     a DLL (LGPL: the programs link it dynamically, as on Linux, so it can be replaced);
#   - GoogleTest: cross-built from the source Debian ships in /usr/src/googletest.
# Each piece is redone only when its stamp is missing or names another version.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
prefix="$cache/deps"
toolchain="$repo/cmake/mingw-w64.toolchain.cmake"
triple=x86_64-w64-mingw32
say() { echo "windows-deps: $*" >&2; }
version_of() { dpkg-query -W -f='${Version}' "$1"; }
stamped() { [[ -f "$prefix/.stamp-$1" && "$(cat "$prefix/.stamp-$1")" == "$2" ]]; }
stamp() { echo "$2" >"$prefix/.stamp-$1"; }

mkdir -p "$prefix/include" "$prefix/lib" "$prefix/share/cmake" "$prefix/licenses"

# Header-only libraries: the package files locate the headers relative to themselves.
for pkg in libcli11-dev:CLI:CLI11 nlohmann-json3-dev:nlohmann:nlohmann_json; do
  IFS=: read -r deb headers cmake_name <<<"$pkg"
  v=$(version_of "$deb")
  stamped "$deb" "$v" && continue
  rm -rf "$prefix/include/$headers" "$prefix/share/cmake/$cmake_name"
  cp -r "/usr/include/$headers" "$prefix/include/$headers"
  cp -r "/usr/share/cmake/$cmake_name" "$prefix/share/cmake/$cmake_name"
  cp "/usr/share/doc/$deb/copyright" "$prefix/licenses/$cmake_name.copyright"
  stamp "$deb" "$v"
done

# libcsv, from Debian's source package of the version the Linux build uses.
csv_version=$(version_of libcsv-dev)
if ! stamped libcsv "$csv_version"; then
  src=$(mktemp -d "$cache/libcsv-src.XXXXXX")
  tree=$("$repo/scripts/windows-apt-source.sh" "libcsv=$csv_version" "$src")
  work=$(mktemp -d "$cache/libcsv-build.XXXXXX")
  mkdir -p "$prefix/bin"
  $triple-gcc-posix -O2 -shared "$tree/libcsv.c" -I "$tree" -o "$prefix/bin/libcsv-3.dll" \
    -Wl,--out-implib,"$prefix/lib/libcsv.dll.a"
  cp "$tree/csv.h" "$prefix/include/csv.h"
  cp "$tree/debian/copyright" "$prefix/licenses/libcsv.copyright"
  cp "$tree/COPYING.LESSER" "$prefix/licenses/libcsv.COPYING.LESSER"
  rm -rf "$src" "$work"
  stamp libcsv "$csv_version"
  say "libcsv $csv_version built"
fi

# GoogleTest, static, from Debian's source.
gtest_version=$(version_of googletest)
if ! stamped googletest "$gtest_version"; then
  work="$cache/googletest-build"
  rm -rf "$work"
  cmake -S /usr/src/googletest -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$work" -j 2 >/dev/null
  cmake --install "$work" >/dev/null
  rm -rf "$work"
  stamp googletest "$gtest_version"
  say "GoogleTest $gtest_version built"
fi

echo "$prefix"
