#!/usr/bin/env bash
# Builds the Debian package from ./build (or $BUILD_DIR), checks its contents and metadata, then
# installs it, runs both programs from the installed files, removes it again and makes sure
# nothing of it is left behind. Needs root (dpkg); CI runs it on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="$(pwd)/${BUILD_DIR:-build}"
fail() { echo "package-check: $*" >&2; exit 1; }

[[ -x "$build_dir/src/tools/rollkit" ]] || fail "nothing built in $build_dir; run scripts/build.sh first"
(cd "$build_dir" && cpack -G DEB >/dev/null)
# The newest package (a pipe from ls would end the script without a word when there is none).
deb=$(find "$build_dir" -maxdepth 1 -name 'dravenholt_*.deb' -printf '%T@ %p\n' | sort -rn | sed -n '1s/^[^ ]* //p')
[[ -n "$deb" ]] || fail "cpack made no package in $build_dir"
echo "package-check: $(basename "$deb")"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
expected=(
  /usr/bin/dravenholt
  /usr/bin/rollkit
  /usr/share/applications/org.dravenholt.Dravenholt.desktop
  /usr/share/metainfo/org.dravenholt.Dravenholt.metainfo.xml
  /usr/share/icons/hicolor/32x32/apps/org.dravenholt.Dravenholt.png
  /usr/share/icons/hicolor/64x64/apps/org.dravenholt.Dravenholt.png
  /usr/share/icons/hicolor/128x128/apps/org.dravenholt.Dravenholt.png
  /usr/share/icons/hicolor/256x256/apps/org.dravenholt.Dravenholt.png
  /usr/share/icons/hicolor/scalable/apps/org.dravenholt.Dravenholt.svg
  /usr/share/man/man1/dravenholt.1
  /usr/share/man/man1/rollkit.1
  /usr/share/doc/dravenholt/NOTICE
  /usr/share/dravenholt/sample/mroll.cor
  /usr/share/dravenholt/sample/mroll.ext
  /usr/share/dravenholt/sample/mroll.tre
  /usr/share/dravenholt/sample/mrdb.id
)
for f in "${expected[@]}"; do grep -qx "$f" <<<"$contents" || fail "$f is not in the package"; done
files=$(grep -v '/$' <<<"$contents")
[[ $(wc -l <<<"$files") -eq ${#expected[@]} ]] || fail "unexpected files in the package: $(comm -23 <(sort <<<"$files") <(printf '%s\n' "${expected[@]}" | sort) | tr '\n' ' ')"

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt 6 runtime: $depends"

desktop-file-validate res/desktop/org.dravenholt.Dravenholt.desktop
appstreamcli validate --no-net --pedantic res/desktop/org.dravenholt.Dravenholt.metainfo.xml >/dev/null

# Install, use, remove.
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
printf '[Kinloom7m]\nKinloomDir=%s/\nMRPath=/usr/share/dravenholt/sample/\n' "$home" >"$home/brevik.ini"
BREVIK_INI="$home/brevik.ini" rollkit search Smith >"$home/out"
first=$(head -n 1 "$home/out")
[[ "$first" =~ ^[0-9]+\ records\ found\.$ ]] || fail "installed rollkit answered: $first"
man -w rollkit >/dev/null || fail "man rollkit does not find the manual"
grep -q 'CC-BY-4.0' /usr/share/doc/dravenholt/NOTICE || fail "the notice lacks the unit list's licence"
rc=0
BREVIK_INI="$home/brevik.ini" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$home" timeout 5 dravenholt || rc=$?
[[ $rc -eq 124 ]] || fail "the installed viewer did not stay up (exit $rc)"

dpkg -r dravenholt >/dev/null
for f in "${expected[@]}"; do [[ ! -e "$f" ]] || fail "$f is left after removal"; done
[[ ! -e /usr/share/dravenholt ]] || fail "/usr/share/dravenholt is left after removal"
[[ ! -e /usr/share/doc/dravenholt ]] || fail "/usr/share/doc/dravenholt is left after removal"
echo "package-check: contents, metadata, install, run and removal are fine"
