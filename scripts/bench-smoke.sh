#!/usr/bin/env bash
# Keeps the benchmark suite working without the full-size roll: builds it with its tests into
# build-bench-smoke (or $BENCH_BUILD_DIR, which may be an existing build), runs those tests, copies the bundled sample roll into
# SQLite in both schemas (the tuned one with its key catalogue, aggregates and roster tables), builds its companion
# index into a cache of its own, checks that the engine and every copy give the same answers, and
# runs every case, warm and cold, once briefly. The figures it prints mean nothing; bench/run.sh makes
# the real report.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --bench
build_dir="${BENCH_BUILD_DIR:-build-bench-smoke}"
if [[ -f "$build_dir/CMakeCache.txt" ]]; then
  # A build already there (CI passes the test build's) keeps its settings and gains the benchmarks:
  # only they are compiled.
  cmake -S . -B "$build_dir" -DDRAVENHOLT_BUILD_BENCH=ON -DDRAVENHOLT_BUILD_TESTS=ON >/dev/null
else
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVENHOLT_BUILD_BENCH=ON \
    -DDRAVENHOLT_BUILD_TESTS=ON -DDRAVENHOLT_BUILD_VIEWER=OFF >/dev/null
fi
cmake --build "$build_dir" -j "$(nproc)" --target rollkit roll_bench records_bench research_bench load_sqlite bench_support_tests sample_database
"$build_dir/bench/bench_support_tests" --gtest_brief=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/family"
for schema in naive tuned keys aggregates roster; do
  "$build_dir/bench/load_sqlite" "$schema" "$build_dir/sample/" "$work/$schema.sqlite" >/dev/null
done
bench=("$build_dir/bench/roll_bench" "--roll=$build_dir/sample/" "--family=$work/family/"
  "--naive=$work/naive.sqlite" "--tuned=$work/tuned.sqlite" "--keys=$work/keys.sqlite"
  "--aggregates=$work/aggregates.sqlite" "--roster=$work/roster.sqlite" "--companion=$work/cache/dravenholt/")
XDG_CACHE_HOME="$work/cache" "$build_dir/src/tools/rollkit" index --data "$build_dir/sample" >/dev/null
"${bench[@]}" --check-only
"${bench[@]}" --set=warm --benchmark_min_time=0.001 >/dev/null
"${bench[@]}" --set=cold --benchmark_min_time=0.001 >/dev/null
"$build_dir/bench/records_bench" --benchmark_min_time=0.001 >/dev/null
"$build_dir/bench/research_bench" "--dir=$work" "--index=$build_dir/sample/mroll.tre" --benchmark_min_time=0.001 >/dev/null
echo "bench-smoke: the suite builds, its tests pass, and the engine and every SQLite copy agree on the sample roll"
