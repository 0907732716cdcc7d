#!/usr/bin/env bash
# Puts the third-party pieces of the Windows build into one prefix, $WINDOWS_CACHE/deps (default
# .cache/windows/deps), and prints it:
#   - CLI11 and nlohmann-json: header-only; Debian's headers and CMake package files, placed so
#     that the cross build finds them without seeing the rest of the build machine's /usr;
#   - libcsv: Debian ships no mingw build; its source package is one C file, compiled here into
#     a DLL (LGPL: the programs link it dynamically, as on Linux, so it can be replaced);
#   - libarchive, for the disk image writer (rollkit image): Debian ships no mingw build either;
#     cross-built from its source package into a DLL with nothing the ISO 9660 writer does not
#     need (no compression, crypto, XML or regex library, no bsdtar, bsdcpio or bsdcat);
#   - xxHash: header-only where the programs use it (XXH_INLINE_ALL), so Debian's headers are
#     copied alone;
#   - SQLite, for the research log: Debian ships no mingw build; its source package is made into
#     the one-file amalgamation with the build machine's tools and compiled into a static library
#     (SQLite is in the public domain);
#   - GoogleTest: cross-built from the source Debian ships in /usr/src/googletest.
# Each piece is redone only when its stamp is missing or names another version or recipe; a
# second run rebuilds nothing. Sources are fetched through scripts/windows-apt-source.sh.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
prefix="$cache/deps"
toolchain="$repo/cmake/mingw-w64.toolchain.cmake"
triple=x86_64-w64-mingw32
say() { echo "windows-deps: $*" >&2; }
trap 'say "failed (exit $?) at line $LINENO: $BASH_COMMAND"' ERR
# Scratch directories of a piece being built, removed however the script ends.
scratch=()
trap 'rm -rf "${scratch[@]}"' EXIT
version_of() { dpkg-query -W -f='${Version}' "$1"; }
stamped() { [[ -f "$prefix/.stamp-$1" && "$(cat "$prefix/.stamp-$1")" == "$2" ]]; }
stamp() { echo "$2" >"$prefix/.stamp-$1"; }

# Run alone on a fresh machine, it installs what it needs first (windows-build.sh already has).
if ! command -v "$triple-gcc-posix" >/dev/null ||
   ! dpkg-query -W libcli11-dev nlohmann-json3-dev libcsv-dev libarchive-dev libxxhash-dev libsqlite3-dev \
     googletest tcl >/dev/null 2>&1; then
  "$repo/scripts/install-deps.sh" --windows >&2
fi

mkdir -p "$prefix/bin" "$prefix/include" "$prefix/lib" "$prefix/share/cmake" "$prefix/licenses"

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

# xxHash's headers (the library itself is not needed: the programs compile it in).
xxhash_version=$(version_of libxxhash-dev)
if ! stamped xxhash "$xxhash_version"; then
  cp /usr/include/xxhash.h /usr/include/xxh3.h "$prefix/include/"
  cp /usr/share/doc/libxxhash-dev/copyright "$prefix/licenses/xxhash.copyright"
  stamp xxhash "$xxhash_version"
fi

# SQLite, from Debian's source package of the version the Linux build uses: its configure and
# tools run on the build machine only to write sqlite3.c and sqlite3.h, which the cross compiler
# then builds with SQLite's default options.
sqlite_version=$(version_of libsqlite3-dev)
if ! stamped sqlite "$sqlite_version"; then
  say "building SQLite $sqlite_version from Debian's source package (about a minute)"
  began=$SECONDS
  src=$(mktemp -d "$cache/sqlite-src.XXXXXX")
  work=$(mktemp -d "$cache/sqlite-build.XXXXXX")
  scratch+=("$src" "$work")
  tree=$("$repo/scripts/windows-apt-source.sh" "sqlite3=$sqlite_version" "$src")
  (cd "$work" && "$tree/configure" --disable-tcl >/dev/null && make -j 2 sqlite3.c >/dev/null)
  $triple-gcc-posix -O2 -c "$work/sqlite3.c" -o "$work/sqlite3.o"
  rm -f "$prefix/lib/libsqlite3.a"
  $triple-ar rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
  cp "$work/sqlite3.h" "$tree/src/sqlite3ext.h" "$prefix/include/"
  cp "$tree/debian/copyright" "$prefix/licenses/sqlite.copyright"
  rm -rf "$src" "$work"
  stamp sqlite "$sqlite_version"
  say "SQLite $sqlite_version built in $((SECONDS - began)) s"
fi

# libcsv, from Debian's source package of the version the Linux build uses.
csv_version=$(version_of libcsv-dev)
if ! stamped libcsv "$csv_version"; then
  say "building libcsv $csv_version from Debian's source package"
  src=$(mktemp -d "$cache/libcsv-src.XXXXXX")
  scratch+=("$src")
  tree=$("$repo/scripts/windows-apt-source.sh" "libcsv=$csv_version" "$src")
  $triple-gcc-posix -O2 -shared "$tree/libcsv.c" -I "$tree" -o "$prefix/bin/libcsv-3.dll" \
    -Wl,--out-implib,"$prefix/lib/libcsv.dll.a"
  cp "$tree/csv.h" "$prefix/include/csv.h"
  cp "$tree/debian/copyright" "$prefix/licenses/libcsv.copyright"
  cp "$tree/COPYING.LESSER" "$prefix/licenses/libcsv.COPYING.LESSER"
  rm -rf "$src"
  stamp libcsv "$csv_version"
  say "libcsv $csv_version built"
fi

# libarchive, from Debian's source package of the version the Linux build uses. The ISO 9660
# writer needs none of the optional libraries (Joliet names are converted with the system's own
# code-page functions, not iconv); the programs are not built. Only the DLL target is built, and
# the library, its two headers, a pkg-config file that finds them wherever the cache is, and the
# licence are put into the prefix by hand (its install step wants the static library too).
archive_version=$(version_of libarchive-dev)
archive_options=(
  -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_TEST=OFF
  -DENABLE_ZLIB=OFF -DENABLE_BZip2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_LZ4=OFF
  -DENABLE_LZO=OFF -DENABLE_LIBB2=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF
  -DENABLE_CNG=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_PCREPOSIX=OFF -DENABLE_LIBGCC=OFF
  -DPOSIX_REGEX_LIB=NONE -DENABLE_ICONV=OFF -DENABLE_ACL=OFF -DENABLE_XATTR=OFF
)
archive_recipe="$archive_version ${archive_options[*]}"
if ! stamped libarchive "$archive_recipe"; then
  say "building libarchive $archive_version from Debian's source package (a few minutes)"
  began=$SECONDS
  src=$(mktemp -d "$cache/libarchive-src.XXXXXX")
  work=$(mktemp -d "$cache/libarchive-build.XXXXXX")
  scratch+=("$src" "$work")
  tree=$("$repo/scripts/windows-apt-source.sh" "libarchive=$archive_version" "$src")
  cmake -S "$tree" -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    "${archive_options[@]}" >/dev/null
  cmake --build "$work" -j 2 --target archive >/dev/null
  mkdir -p "$prefix/lib/pkgconfig"
  cp "$work/bin/libarchive.dll" "$prefix/bin/libarchive.dll"
  cp "$work/libarchive/libarchive.dll.a" "$prefix/lib/libarchive.dll.a"
  cp "$tree/libarchive/archive.h" "$tree/libarchive/archive_entry.h" "$prefix/include/"
  sed -e 's|^prefix=.*|prefix=${pcfiledir}/../..|' -e '/^Cflags.private:/d' \
    "$work/build/pkgconfig/libarchive.pc" >"$prefix/lib/pkgconfig/libarchive.pc"
  cp "$tree/debian/copyright" "$prefix/licenses/libarchive.copyright"
  cp "$tree/COPYING" "$prefix/licenses/libarchive.COPYING"
  rm -rf "$src" "$work"
  stamp libarchive "$archive_recipe"
  say "libarchive $archive_version built in $((SECONDS - began)) s"
fi

# GoogleTest, static, from Debian's source.
gtest_version=$(version_of googletest)
if ! stamped googletest "$gtest_version"; then
  say "building GoogleTest $gtest_version from /usr/src/googletest"
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
