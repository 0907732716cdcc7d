#!/usr/bin/env bash
# Usage: windows-apt-source.sh PACKAGE[=VERSION] DIR
#
# Fetches and unpacks a Debian source package into DIR (with Debian's patches applied) and prints
# the path of the unpacked tree. The source lists are private to this script, under
# $WINDOWS_CACHE/apt: they are the machine's own archive lines with "deb" turned into "deb-src",
# so the machine's own apt configuration and lists stay exactly as they are. Signatures and
# checksums are checked by apt as for any package.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"
package="$1"
dest="$2"
apt_dir="$cache/apt"
say() { echo "windows-apt-source: $*" >&2; }

mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$dest"
: >"$apt_dir/sources.list"
shopt -s nullglob
for f in /etc/apt/sources.list.d/*.sources; do
  sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f "$f" ]] || continue
  grep -E '^[[:space:]]*deb[[:space:]]' "$f" | sed -E 's/^([[:space:]]*)deb([[:space:]])/\1deb-src\2/' \
    >>"$apt_dir/sources.list" || true
done

apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
mkdir -p "$apt_dir/cache/archives/partial"
# A list older than a day is fetched again; one from today is reused.
if [[ -z "$(find "$apt_dir/lists" -maxdepth 1 -name '*Sources*' -mmin -1440 -print -quit)" ]]; then
  apt-get -qq "${apt_opts[@]}" update >&2 || say "apt-get update reported errors; going on with what it fetched"
fi
(cd "$dest" && apt-get -qq "${apt_opts[@]}" source "$package" >&2)
name="${package%%=*}"
tree=$(find "$dest" -mindepth 1 -maxdepth 1 -type d -name "$name-*" | sort | tail -n 1)
[[ -n "$tree" ]] || { say "no unpacked $name in $dest"; exit 1; }
echo "$tree"
