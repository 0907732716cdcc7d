#!/usr/bin/env bash
# Installs the Debian packages the build, the viewer and the tests need, when any is missing.
# Safe to run again: with everything present it changes nothing and needs no network.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev fonts-dejavu-core
  libcli11-dev nlohmann-json3-dev libcsv-dev python3 libiso9660-dev libcdio-dev libarchive-dev
  libsqlite3-dev libxxhash-dev  # the research log, and the fingerprint of a roll's index
  xauth xvfb dpkg-dev appstream desktop-file-utils man-db
  poppler-utils  # pdftotext reads back what the viewer prints to PDF
  at-spi2-core python3-pyatspi dbus-daemon  # the screen-reader test reads the window through AT-SPI
)
if [[ "${1:-}" == "--bench" ]]; then packages+=(libbenchmark-dev libsqlite3-dev hyperfine time); fi
if [[ "${1:-}" == "--fuzz" ]]; then packages+=(clang libclang-rt-14-dev); fi
if [[ "${1:-}" == "--tidy" ]]; then packages+=(clang-tidy); fi
# Gramps, for the test that imports our GEDCOM into it (skipped without it).
if [[ "${1:-}" == "--gramps" ]]; then packages+=(gramps); fi
# The Windows build: mingw-w64 compilers (posix threads), wine to run what they make, NSIS for the
# installer, zstd for the prebuilt Qt, make and tclsh for SQLite's one-file source, and the X
# tools that drive and photograph the real window.
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 nsis zstd zip unzip xdotool imagemagick make tcl)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
