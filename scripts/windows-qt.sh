#!/usr/bin/env bash
# Puts Qt 6 for 64-bit Windows (mingw-w64) into $WINDOWS_CACHE/qt (default .cache/windows/qt) and
# prints that prefix.
#
# From the prebuilt tarball in $DRAVENHOLT_WINDOWS_QT_DIR (default <repo>/../shared/windows),
# with PrintSupport, after checking it against the SHA256SUMS beside it: 14 MB, a second to
# unpack. When the tarball is not there, a Qt this script put in place before is used as it is.
# Built from Debian's own qt6-base source package with exactly the modules the viewer uses (about
# 40 minutes on two cores; scripts/windows-qt-from-source.sh) only when asked: --from-source, or
# DRAVENHOLT_WINDOWS_QT_FROM_SOURCE=1. Run again, it does nothing when the prefix it made is still
# in place.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
qt_dir="${DRAVENHOLT_WINDOWS_QT_DIR:-$repo/../shared/windows}"
tarball_name=qt6-base-6.4.2-mingw64-print.tar.zst
prefix="$cache/qt"
stamp="$prefix/.dravenholt-stamp"
say() { echo "windows-qt: $*" >&2; }
trap 'say "failed (exit $?) at line $LINENO: $BASH_COMMAND"' ERR

from_source="${DRAVENHOLT_WINDOWS_QT_FROM_SOURCE:-0}"
[[ "${1:-}" == "--from-source" ]] && from_source=1

mkdir -p "$cache"

if [[ "$from_source" == 1 ]]; then
  exec "$repo/scripts/windows-qt-from-source.sh"
fi

if [[ -f "$qt_dir/$tarball_name" ]]; then
  [[ -f "$qt_dir/SHA256SUMS" ]] || { say "$qt_dir has no SHA256SUMS"; exit 1; }
  command -v zstd >/dev/null || "$repo/scripts/install-deps.sh" --windows >&2
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

# No tarball: a Qt already in place (unpacked from it, or built from source) will do.
if [[ -f "$stamp" && -d "$prefix/lib/cmake/Qt6" ]]; then
  say "no tarball in $qt_dir; using the Qt already in $prefix ($(cat "$stamp"))"
  echo "$prefix"
  exit 0
fi
say "no prebuilt Qt in $qt_dir and none in $prefix."
say "Build it from Debian's qt6-base source package (about 40 minutes on two cores) with:"
say "  $0 --from-source"
exit 1
