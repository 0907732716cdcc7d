#!/usr/bin/env bash
# The Windows half of CI, after the Linux steps (it compares with the Linux build in ./build or
# $BUILD_DIR): cross-builds the viewer, rollkit and their tests into ./build-win (or
# $WINDOWS_BUILD_DIR), runs every test under wine (what the tests print to PDF is read back here
# with pdftotext), compares rollkit's output with the Linux build's byte for byte, builds the
# installer and the zip, and installs, runs, prints with, opens a disk image through Browse... with
# and removes the installer under wine.
# Installs what it needs from Debian's packages first.
#
# The prebuilt Qt comes from $DRAVENHOLT_WINDOWS_QT_DIR (default <repo>/../shared/windows).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
export WINDOWS_BUILD_DIR="${WINDOWS_BUILD_DIR:-$repo/build-win}"
build="$WINDOWS_BUILD_DIR"
linux_build="${BUILD_DIR:-build}"
started=$SECONDS
step() { echo "windows-check: $* ($((SECONDS - started)) s)"; }
trap 'echo "windows-check: failed (exit $?) at line $LINENO: $BASH_COMMAND" >&2' ERR

# The comparison needs the Linux build: said now, not after the Windows build.
[[ -x "$linux_build/src/tools/rollkit" && -f "$linux_build/sample/mroll.tre" ]] ||
  { echo "windows-check: no Linux rollkit and sample in $linux_build; run scripts/build.sh first" >&2; exit 1; }

step "building"
scripts/windows-build.sh -DDRAVENHOLT_BUILD_TESTS=ON

# wine: a prefix of this build's own, a server that stays up for the whole run, and a first
# program run before ctest with no pipe of ours: the processes a fresh prefix and the first
# window start live on and would hold ctest's output open.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"  # the server does not start without it; wine fills it on first use
wineserver -k 2>/dev/null || true  # one left by a run that was stopped would refuse a second
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
step "preparing wine"
scripts/windows-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true
QT_QPA_PLATFORM=offscreen scripts/windows-run.sh "$build/tests/ui/ui_tests.exe" --gtest_list_tests \
  </dev/null >/dev/null 2>&1 || true

step "testing under wine"
(cd "$build" && ctest -j 2 --timeout 300 --output-on-failure)

step "comparing rollkit with the Linux build"
scripts/windows-compare.sh "$linux_build" "$build"

step "packaging"
(cd "$build" && cpack >/dev/null)
ls -l "$build"/Dravenholt-*-win64.exe "$build"/Dravenholt-*-win64.zip

step "installing"
scripts/windows-install-check.sh "$build"
step "done"
