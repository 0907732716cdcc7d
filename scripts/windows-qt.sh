#!/usr/bin/env bash
# Puts Qt 6 for 64-bit Windows (mingw-w64) into $WINDOWS_CACHE/qt (default .cache/windows/qt) and
# prints that prefix.
#
# From the prebuilt tarball in $DRAVENHOLT_WINDOWS_QT_DIR (default <repo>/../shared/windows),
# after checking it against the SHA256SUMS beside it: 14 MB, a second to unpack. Only when no
# tarball is there, built from Debian's own qt6-base source package with exactly the modules the
# viewer uses (about 40 minutes on two cores; see README-windows.md). Run again, it does nothing
# when the prefix it made is still in place.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
qt_dir="${DRAVENHOLT_WINDOWS_QT_DIR:-$repo/../shared/windows}"
tarball_name=qt6-base-6.4.2-mingw64.tar.zst
prefix="$cache/qt"
stamp="$prefix/.dravenholt-stamp"
say() { echo "windows-qt: $*" >&2; }

mkdir -p "$cache"

if [[ -f "$qt_dir/$tarball_name" ]]; then
  [[ -f "$qt_dir/SHA256SUMS" ]] || { say "$qt_dir has no SHA256SUMS"; exit 1; }
  expected=$(awk -v f="$tarball_name" '$2 == f || $2 == "*" f {print $1}' "$qt_dir/SHA256SUMS")
  [[ -n "$expected" ]] || { say "SHA256SUMS names no $tarball_name"; exit 1; }
  want="prebuilt $expected"
  if [[ -f "$stamp" && "$(cat "$stamp")" == "$want" ]]; then echo "$prefix"; exit 0; fi
  actual=$(sha256sum "$qt_dir/$tarball_name" | awk '{print $1}')
  if [[ "$actual" != "$expected" ]]; then
    say "$qt_dir/$tarball_name: SHA-256 $actual, expected $expected; not using it"
    exit 1
  fi
  rm -rf "$prefix" "$prefix.partial"
  mkdir -p "$prefix.partial"
  zstd -q -dc "$qt_dir/$tarball_name" | tar -x -C "$prefix.partial" --strip-components=1 -f - prefix/
  echo "$want" >"$prefix.partial/.dravenholt-stamp"
  mv "$prefix.partial" "$prefix"
  say "unpacked $tarball_name ($expected)"
  echo "$prefix"
  exit 0
fi

say "no prebuilt Qt in $qt_dir: building it from Debian's qt6-base source package"
exec "$repo/scripts/windows-qt-from-source.sh"
