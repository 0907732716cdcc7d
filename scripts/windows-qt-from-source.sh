#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows from Debian's own qt6-base source package into $WINDOWS_CACHE/qt
# (default .cache/windows/qt) and prints that prefix. scripts/windows-qt.sh runs this only when
# asked to (--from-source).
#
# Exactly what the viewer and its tests use: Core, Gui, Widgets, Network, PrintSupport and Test,
# the windows, offscreen and minimal platform plugins, the windowsvista style, the gif and ico
# image plugins; shared release DLLs. Debian's host Qt (same version) supplies moc, rcc and uic.
# About 40 minutes at -j2 on two cores (1,100 steps). Idempotent: a finished prefix with the same
# stamp is left as it is; an interrupted build goes on where it stopped.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
prefix="$cache/qt"
version=6.4.2+dfsg-10
want="source qt6-base $version printsupport"
say() { echo "windows-qt-from-source: $*" >&2; }

if [[ -f "$prefix/.dravenholt-stamp" && "$(cat "$prefix/.dravenholt-stamp")" == "$want" ]]; then
  echo "$prefix"
  exit 0
fi
dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null | grep -qx "$version" ||
  { say "the host tools must be Debian's qt6-base-dev-tools $version"; exit 1; }

src_dir="$cache/qt-src"
tree=$(find "$src_dir" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' 2>/dev/null | head -n 1)
if [[ -z "$tree" ]]; then
  mkdir -p "$src_dir"
  tree=$("$repo/scripts/windows-apt-source.sh" "qt6-base=$version" "$src_dir")
fi
# Qt 6.4.2 builds its DirectWrite font database only with Direct2D but uses it whenever
# DirectWrite 3 is there; without Direct2D (no OpenGL, no Direct2D here) that does not link.
if ! grep -q 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$tree/src/plugins/platforms/windows/qwindowsintegration.cpp"; then
  patch -d "$tree" -p1 <"$repo/scripts/windows/qt6-base-no-direct2d.patch" >&2
fi

build="$cache/qt-build"
mkdir -p "$build"
if [[ ! -f "$build/build.ninja" ]]; then
  (cd "$build" && "$tree/configure" -prefix "$prefix.partial" -qt-host-path /usr -xplatform win32-g++ \
    -release -shared -nomake tests -nomake examples \
    -no-opengl -no-dbus -no-icu -no-ssl -no-direct2d \
    -qt-zlib -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre -qt-doubleconversion \
    -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-vulkan -no-feature-zstd \
    -no-feature-tabletevent -no-feature-androiddeployqt \
    -no-feature-textmarkdownreader -no-feature-textmarkdownwriter \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.toolchain.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake) >&2
fi
say "building (about 40 minutes on two cores)"
cmake --build "$build" -j 2 >&2
rm -rf "$prefix.partial"
cmake --install "$build" >&2
rm -rf "$prefix"
mv "$prefix.partial" "$prefix"
echo "$want" >"$prefix/.dravenholt-stamp"
echo "$prefix"
