#!/usr/bin/env bash
# Checks the naming rule (.clang-tidy, per directory) on the C++ files a change touches: the files
# the last 20 commits touched (merges count by the commits they bring, so a merged branch does not
# bring all of its files), or those changed since BASE when one is given, or every file when given
# --all; each checked with
# the compile commands of ./build (or $BUILD_DIR), which scripts/build.sh writes. A header that
# changed is checked through the source file of the same name.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
[[ -f "$build_dir/compile_commands.json" ]] || { echo "tidy: no $build_dir/compile_commands.json; run scripts/build.sh first" >&2; exit 2; }
command -v clang-tidy >/dev/null || scripts/install-deps.sh --tidy

if [[ "${1:-}" == "--all" ]]; then
  changed=$(git ls-files 'src/*.cc' 'src/*.h' 'tests/*.cc' 'tests/*.h' 'bench/*.cc' 'bench/*.h')
elif [[ -n "${1:-}" ]]; then
  changed=$(git diff --name-only --diff-filter=ACMR "$1" HEAD -- 'src/*.cc' 'src/*.h' 'tests/*.cc' 'tests/*.h' 'bench/*.cc' 'bench/*.h')
else
  changed=$(git log -n 20 --no-merges --name-only --format= --diff-filter=ACMR -- 'src/*.cc' 'src/*.h' 'tests/*.cc' 'tests/*.h' 'bench/*.cc' 'bench/*.h' | sort -u)
fi

# Every changed source, and the source beside every changed header, that the build compiles.
sources=()
while IFS= read -r file; do
  [[ -n "$file" ]] || continue
  candidate="$file"
  if [[ "$file" == *.h ]]; then
    candidate="${file%.h}.cc"
    [[ -f "$candidate" ]] || candidate="${file%.h}_posix.cc"
  fi
  [[ -f "$candidate" ]] || continue
  grep -q "\"file\": \"$(pwd)/$candidate\"" "$build_dir/compile_commands.json" && sources+=("$candidate")
done <<<"$changed"
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | sort -u | grep -v '^$' || true)
if [[ ${#sources[@]} -eq 0 ]]; then
  echo "tidy: no changed C++ file to check"
  exit 0
fi
echo "tidy: checking ${#sources[@]} files"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The test programs' precompiled headers are g++'s, which clang cannot read: clang-tidy parses the
# headers themselves, as a build without precompiled headers does.
sed -E 's# -Winvalid-pch -include [^ ]*/cmake_pch\.hxx##g' "$build_dir/compile_commands.json" \
  >"$work/compile_commands.json"
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$work" --quiet 2>&1 \
  | grep -E "error:|warning:" | sort -u >"$work/findings" || true
if [[ -s "$work/findings" ]]; then
  cat "$work/findings"
  echo "tidy: the naming rule is broken (see above)" >&2
  exit 1
fi
echo "tidy: the naming rule holds"
