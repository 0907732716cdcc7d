#!/usr/bin/env bash
# Regenerates the benchmark report in one go:
#   1. builds rollkit, the benchmarks and (when its sources are there) the viewer probe;
#   2. generates and builds the full-size roll once into bench/data/ (reused on later runs), and
#      a 100,000-entry roll for the memory comparison;
#   3. copies the full roll into SQLite once in each schema (naive and tuned), and the tuned
#      copy's key catalogue, the aggregates its engineer would keep beside it and the columns and
#      aggregates that answer a unit's roster (one file of its own); builds the roll's
#      companion index with rollkit index (time, peak memory, size: set-up a user pays once);
#   4. checks that the engine and both SQLite copies answer alike, then runs the warm cases in
#      several rounds and the cold ones (files evicted from the page cache);
#   5. times the viewer's searches from the Enter key to the painted screen (offscreen);
#   6. measures whole processes: rollkit search and show (hyperfine, /usr/bin/time -v) and the viewer's
#      start-up and memory under the offscreen platform;
#   7. rewrites the tables of bench/README.md.
#
# Settings (environment): ENTRIES (6300000), SEED (1), ROUNDS (3 runs of the warm cases), REPS (7
# repetitions per case and round), COLD_REPS (5), MIN_TIME (0.3 s per repetition), VIEWER_REPS (200
# searches per case), BUILD_DIR (build-bench), JOBS (2 build jobs).
set -euo pipefail
cd "$(dirname "$0")/.."

entries="${ENTRIES:-6300000}"
seed="${SEED:-1}"
rounds="${ROUNDS:-3}"
reps="${REPS:-7}"
cold_reps="${COLD_REPS:-5}"
min_time="${MIN_TIME:-0.3}"
viewer_reps="${VIEWER_REPS:-200}"
build="${BUILD_DIR:-build-bench}"
jobs="${JOBS:-2}"

data="$(pwd)/bench/data"
roll="$data/roll-$entries-$seed"
small="$data/roll-100000-$seed"
family="$data/family"
results="$data/results"
mkdir -p "$family" "$results"
rm -f "$results"/*

quiet() { nice -n 10 "$@"; }
step() { printf '\n== %s\n' "$*" >&2; }

step "build ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVENHOLT_BUILD_BENCH=ON \
  -DDRAVENHOLT_BUILD_TESTS=OFF -DDRAVENHOLT_BUILD_TOOLS=ON -DDRAVENHOLT_BUILD_VIEWER=ON >/dev/null
targets=(rollkit roll_bench load_sqlite)
viewer=""
# The target list is read whole first: grep -q would stop reading at its match, and the pipe's
# writer would then fail on SIGPIPE, which pipefail makes the whole test fail.
build_targets="$(cmake --build "$build" --target help)"
if grep -q '^viewer_probe:' <<<"$build_targets"; then
  targets+=(viewer_probe)
  viewer="$build/bench/viewer_probe"
fi
quiet cmake --build "$build" -j "$jobs" --target "${targets[@]}"
rollkit="$build/src/tools/rollkit"

# A roll is complete when its index is there: the builder renames its files into place last.
make_roll() {
  local n="$1" dir="$2"
  if [[ -f "$dir/mroll.tre" ]]; then
    echo "reusing $dir" >&2
    return
  fi
  mkdir -p "$dir"
  quiet "$rollkit" generate --entries "$n" --seed "$seed" "$dir.csv"
  quiet "$rollkit" build --force "$dir.csv" "$dir"
  rm -f "$dir.csv"
}
step "rolls"
make_roll "$entries" "$roll"
make_roll 100000 "$small"

"$rollkit" check "$roll" >"$results/check.txt"

step "SQLite copies"
# Each load's own line ("N rows loaded into DB in S s") is kept beside its file, so that a reused
# copy still reports what it cost to make.
load() {  # schema, database
  if [[ ! -f "$2" || "$roll/mroll.tre" -nt "$2" || ! -f "$2.load" ]]; then
    quiet "$build/bench/load_sqlite" "$1" "$roll/" "$2" >"$2.load"
  else
    echo "reusing $2" >&2
  fi
  cp "$2.load" "$results/load-$1.txt"
}
for schema in naive tuned; do load "$schema" "$roll.$schema.sqlite"; done
# The key catalogue the tuned copy attaches for Find, the aggregates beside it, and the roster's
# columns and aggregates: small, so each is made apart from the copy.
keys="$roll.keys.sqlite"
aggregates="$roll.aggregates.sqlite"
roster="$roll.roster.sqlite"
load keys "$keys"
load aggregates "$aggregates"
load roster "$roster"

# The companion index, into a cache of the run's own (never the user's): once to have the roll's
# files cached, then measured.
step "companion index"
export XDG_CACHE_HOME="$data/cache"
quiet "$rollkit" index --rebuild --data "$roll" >/dev/null
/usr/bin/time -v "$rollkit" index --rebuild --data "$roll" >"$results/companion-index.txt" 2>"$results/time-companion.txt"
awk -F': ' '/Maximum resident set size/ { print $2 }' "$results/time-companion.txt" >"$results/peak-companion.kb"

bench=("$build/bench/roll_bench" "--roll=$roll/" "--family=$family/" "--naive=$roll.naive.sqlite"
  "--tuned=$roll.tuned.sqlite" "--keys=$keys" "--aggregates=$aggregates" "--roster=$roster"
  "--companion=$XDG_CACHE_HOME/dravenholt/")
step "same answers on every side"
"${bench[@]}" --check-only --picks="$results/picks.tsv"
pick() { awk -F'\t' -v k="$1" '$1 == k { print $2 }' "$results/picks.tsv"; }
single="$(pick single)"
median="$(pick median)"
common="$(pick common)"
given="$(pick given)"
one_letter="$(pick one_letter)"

for round in $(seq 1 "$rounds"); do
  step "warm cases, round $round of $rounds ($reps repetitions of at least $min_time s per case)"
  quiet "${bench[@]}" --set=warm --benchmark_repetitions="$reps" --benchmark_min_time="$min_time" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_out="$results/bench-warm-$round.json" --benchmark_out_format=json
done

if [[ -n "$viewer" ]]; then
  runtime="$data/runtime"
  mkdir -p "$runtime"
  chmod 700 "$runtime"
  printf '[Kinloom7m]\nKinloomDir=%s/\nMRPath=%s/\n' "$family" "$roll" >"$data/brevik.ini"
  export QT_QPA_PLATFORM=offscreen BREVIK_INI="$data/brevik.ini" XDG_RUNTIME_DIR="$runtime"
  step "viewer: Enter to painted screen ($viewer_reps searches per case)"
  quiet "$viewer" latency "$results/picks.tsv" "$viewer_reps" --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_out="$results/viewer-latency.json" \
    --benchmark_out_format=json
fi

# Last of the timed cases: they leave the roll's files out of the page cache.
step "cold cases ($cold_reps repetitions of 10 iterations per case)"
quiet "${bench[@]}" --set=cold --benchmark_repetitions="$cold_reps" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_out="$results/bench-cold.json" --benchmark_out_format=json

step "rollkit search, whole process"
q() { printf '%q' "$1"; }
quiet hyperfine --style basic --warmup 3 --min-runs 20 --export-json "$results/hyperfine-rollkit.json" \
  -n "single" "$rollkit search --data $(q "$roll") $(q "$single")" \
  -n "median" "$rollkit search --data $(q "$roll") $(q "$median")" \
  -n "common" "$rollkit search --data $(q "$roll") $(q "$common")" \
  -n "common_given" "$rollkit search --data $(q "$roll") --given $(q "$given") $(q "$common")"
# A given-name search in a process of its own, against the same process with a surname of one
# entry: the difference is what the search costs a plain process, set beside the benchmark's.
quiet hyperfine --style basic --warmup 3 --min-runs 40 --export-json "$results/hyperfine-rollkit-show.json" \
  -n "show_single" "$rollkit show --data $(q "$roll") $(q "$single") 0" \
  -n "show_one_letter" "$rollkit show --data $(q "$roll") --given $(q "$one_letter") $(q "$common") 0"
peak() {  # name, command...: peak resident set size in kB, from /usr/bin/time -v
  local name="$1"
  shift
  /usr/bin/time -v "$@" >/dev/null 2>"$results/time-$name.txt" || true
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$results/time-$name.txt" >"$results/peak-$name.kb"
}
peak rollkit-common "$rollkit" search --data "$roll" "$common"
peak rollkit-common-given "$rollkit" search --data "$roll" --given "$given" "$common"
"$build/bench/roll_bench" "--roll=$small/" "--family=$family/" --picks-only --picks="$results/picks-small.tsv"
small_common="$(awk -F'\t' '$1 == "common" { print $2 }' "$results/picks-small.tsv")"
peak rollkit-small "$rollkit" search --data "$small" "$small_common"
step "exports of every entry (*), peak memory"
peak export-rollkit-csv "$rollkit" search --data "$roll" --format csv '*'
peak export-rollkit-json "$rollkit" search --data "$roll" --format json '*'
peak export-rollkit-pull "$rollkit" pull-list --data "$roll" '*'

if [[ -n "$viewer" ]]; then
  step "viewer, offscreen"
  quiet hyperfine --style basic --warmup 3 --min-runs 20 --export-json "$results/hyperfine-viewer.json" \
    -n "startup" "$viewer startup"
  for i in $(seq 1 15); do "$viewer" startup; done | awk '/first paint/ { print $4 }' >"$results/first-paint.ms"
  peak viewer-idle "$viewer" idle
  peak viewer-paged "$viewer" page "$common"
  "$viewer" page "$common" | grep pages >"$results/viewer-pages.txt" || true
  # The viewer's File menu: every entry written to a file, which is removed again (some GB).
  for kind in csv json gedcom pull; do
    peak "export-viewer-$kind" "$viewer" export "$kind" '*' "$data/export.$kind"
    rm -f "$data/export.$kind"
  done
  # A printed list of every entry would run to some 130,000 pages: the most common surname's.
  peak export-viewer-pdf "$viewer" export pdf "$common" "$data/export.pdf"
  rm -f "$data/export.pdf"
fi

step "report"
python3 bench/report.py --results "$results" --roll "$roll" --small "$small" --entries "$entries" \
  --seed "$seed" --readme bench/README.md
echo "bench/README.md rewritten" >&2
