#!/usr/bin/env bash
# Usage: windows-compare.sh LINUX_BUILD WINDOWS_BUILD
#
# Runs the same rollkit commands with the Linux build and, under wine, with the Windows build,
# on the Linux build's sample roll, and compares standard output, standard error and exit status
# byte for byte; then builds a roll with each from the same CSV and compares the files.
# Prints one line per command and "N passed, N failed" at the end; exits 1 on any difference.
set -uo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
linux_build="$(cd "$1" && pwd)"
windows_build="$(cd "$2" && pwd)"
linux_rollkit="$linux_build/src/tools/rollkit"
windows_rollkit="$windows_build/src/tools/rollkit.exe"
sample="$linux_build/sample"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for f in "$linux_rollkit" "$windows_rollkit" "$sample/mroll.tre"; do
  [[ -e "$f" ]] || { echo "windows-compare: $f is missing" >&2; exit 1; }
done

# Both programs get the same arguments. wine shows the build machine's root as the current
# drive, so an absolute POSIX path names the same file for the Windows program.
ini="$work/brevik.ini"
printf '[Kinloom7m]\nKinloomDir=%s/\nMRPath=%s/\n' "$work" "$sample" >"$ini"
commands=(
  "search --data $sample kelly"
  "search --data $sample --given pat kelly"
  "search --data $sample --json --given m smith"
  "search --data $sample --raw o'brien"
  "search --data $sample --rows 8 jones"
  "search --data $sample zzzzzz"
  "search kelly"
  "show --data $sample kelly 0"
  "show --data $sample --raw --given j smith 3"
  "show --data $sample kelly 99999"
  "check $sample"
  "dump --data $sample"
  "search --data $work/missing/ kelly"
  "search --data $sample"
  "search --rows 9 --data $sample kelly"
  "frobnicate"
  "--help"
  "generate --entries 300 --seed 7 -"
  "search --data $sample --match soundex kelly"
  "search --data $sample --match dm --format csv kelly"
  "search --data $sample --match wildcard --side U --format json k*y"
  "search --data $sample --match similar --state NY kelly"
  "search --data $sample --unit inf --company A smith"
  "keys --data $sample"
  "keys --data $sample --match soundex kelly"
  "pull-list --data $sample kelly"
  "pull-list --data $sample --format csv --side C smith"
)

passed=0
failed=0
run_pair() {
  local name="$1"; shift
  BREVIK_INI="$ini" "$linux_rollkit" "$@" </dev/null >"$work/l.out" 2>"$work/l.err"
  local lc=$?
  BREVIK_INI="$ini" "$repo/scripts/windows-run.sh" --build "$windows_build" "$windows_rollkit" "$@" \
    </dev/null >"$work/w.out" 2>"$work/w.err"
  local wc=$?
  local what=()
  [[ $lc -eq $wc ]] || what+=("exit $lc vs $wc")
  cmp -s "$work/l.out" "$work/w.out" || what+=("stdout differs")
  cmp -s "$work/l.err" "$work/w.err" || what+=("stderr differs")
  if [[ ${#what[@]} -eq 0 ]]; then
    echo "same: rollkit $name (exit $lc, $(wc -c <"$work/l.out") bytes)"
    passed=$((passed + 1))
  else
    echo "DIFFERENT: rollkit $name: ${what[*]}"
    diff <(head -c 2000 "$work/l.out") <(head -c 2000 "$work/w.out") | head -n 10
    diff "$work/l.err" "$work/w.err" | head -n 10
    failed=$((failed + 1))
  fi
}

for c in "${commands[@]}"; do
  read -r -a args <<<"$c"
  run_pair "$c" "${args[@]}"
done

# The same CSV built by each gives the same four files.
"$linux_rollkit" generate --entries 5000 --seed 3 "$work/roll.csv" >/dev/null
"$linux_rollkit" build "$work/roll.csv" "$work/linux" >/dev/null
"$repo/scripts/windows-run.sh" --build "$windows_build" "$windows_rollkit" build "$work/roll.csv" "$work/windows" >/dev/null
same_files=1
for f in mroll.cor mroll.ext mroll.tre mrdb.id; do
  cmp -s "$work/linux/$f" "$work/windows/$f" || { echo "DIFFERENT: built $f"; same_files=0; }
done
if [[ $same_files -eq 1 ]]; then
  echo "same: rollkit build of one CSV (four files)"
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "windows-compare: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
