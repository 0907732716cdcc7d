#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows from Debian's own qt6-base source package into $WINDOWS_CACHE/qt
# (default .cache/windows/qt) and prints that prefix. scripts/windows-qt.sh runs this only when
# asked to (--from-source).
#
# Exactly what the viewer and its tests use: Core, Gui, Widgets, Network, PrintSupport and Test,
# the windows, offscreen and minimal platform plugins, the windowsvista style, the gif and ico
# image plugins; shared release DLLs. Debian's host Qt (same version) supplies moc, rcc and uic.
#
# It works from nothing (an empty cache, a machine without the cross compilers) and says what it
# does at each step:
#   1. installs the Debian packages the build needs (scripts/install-deps.sh --windows);
#   2. fetches and unpacks the source into $WINDOWS_CACHE/qt-src and applies
#      scripts/windows/qt6-base-no-direct2d.patch; the files apt fetched are kept, and a tree is
#      used again only when it was unpacked and patched whole with this very patch;
#   3. configures into $WINDOWS_CACHE/qt-build (again only when that tree and these options
#      configured it);
#   4. builds: about 40 minutes at -j2 on two cores (1,100 steps); an interrupted build goes on
#      where it stopped;
#   5. installs into the prefix, which is put in place only once whole and stamped.
# A finished prefix with the same stamp is left as it is.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
prefix="$cache/qt"
version=6.4.2+dfsg-10
patch_file="$repo/scripts/windows/qt6-base-no-direct2d.patch"
want="source qt6-base $version printsupport"
say() { echo "windows-qt-from-source: $*" >&2; }
trap 'say "failed (exit $?) at line $LINENO: $BASH_COMMAND"' ERR

if [[ -f "$prefix/.dravenholt-stamp" && "$(cat "$prefix/.dravenholt-stamp")" == "$want" ]]; then
  say "Qt from source is already in $prefix"
  echo "$prefix"
  exit 0
fi

say "step 1/5: the Debian packages the build needs"
"$repo/scripts/install-deps.sh" --windows >&2
host_tools=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
[[ "$host_tools" == "$version" ]] ||
  { say "the host tools must be Debian's qt6-base-dev-tools $version, not '${host_tools:-none}'"; exit 1; }

src_dir="$cache/qt-src"
build="$cache/qt-build"
tree_want="qt6-base $version, patched with $(sha256sum <"$patch_file" | cut -d ' ' -f 1)"
mkdir -p "$src_dir"
tree=$(find "$src_dir" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' -print -quit)
if [[ -n "$tree" && -f "$src_dir/.tree-stamp" && "$(cat "$src_dir/.tree-stamp")" == "$tree_want" ]]; then
  say "step 2/5: the source is already unpacked and patched in $tree"
else
  say "step 2/5: fetching and unpacking Debian's qt6-base $version source into $src_dir"
  rm -f "$src_dir/.tree-stamp"
  # A tree left half unpacked or patched otherwise goes; the fetched files stay and are reused.
  find "$src_dir" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' -exec rm -rf {} +
  tree=$("$repo/scripts/windows-apt-source.sh" "qt6-base=$version" "$src_dir")
  # Qt 6.4.2 builds its DirectWrite font database and engine only with Direct2D but uses them
  # whenever DirectWrite is there; without Direct2D (no OpenGL, no Direct2D here) the windows
  # platform plugin and the print engine do not link.
  say "applying $(basename "$patch_file")"
  patch -d "$tree" -p1 --forward <"$patch_file" >&2
  echo "$tree_want" >"$src_dir/.tree-stamp"
fi

configure_args=(
  -prefix "$prefix.partial" -qt-host-path /usr -xplatform win32-g++
  -release -shared -nomake tests -nomake examples
  -no-opengl -no-dbus -no-icu -no-ssl -no-direct2d
  -qt-zlib -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre -qt-doubleconversion
  -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-vulkan -no-feature-zstd
  -no-feature-tabletevent -no-feature-androiddeployqt
  -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.toolchain.cmake"
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
configured="$tree_want; $tree; ${configure_args[*]}"
if [[ -f "$build/build.ninja" && -f "$build/.configure-stamp" && "$(cat "$build/.configure-stamp")" == "$configured" ]]; then
  say "step 3/5: already configured in $build"
else
  say "step 3/5: configuring into $build"
  rm -rf "$build"
  mkdir -p "$build"
  (cd "$build" && "$tree/configure" "${configure_args[@]}") >&2
  echo "$configured" >"$build/.configure-stamp"
fi

say "step 4/5: building in $build (about 40 minutes on two cores; an interrupted build goes on from where it stopped)"
cmake --build "$build" -j 2 >&2

say "step 5/5: installing into $prefix"
rm -rf "$prefix.partial"
cmake --install "$build" >&2
echo "$want" >"$prefix.partial/.dravenholt-stamp"
rm -rf "$prefix"
mv "$prefix.partial" "$prefix"
say "Qt is in $prefix"
echo "$prefix"
