#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz (or $FUZZ_BUILD_DIR), builds their seed
# corpora from valid databases, and runs each target briefly ($FUZZ_SECONDS, default 10) on them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --fuzz
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
# -O1 and line tables, as for the sanitizer build: a finding's stack still names its lines.
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DDRAVENHOLT_BUILD_FUZZ=ON -DDRAVENHOLT_BUILD_TESTS=OFF -DDRAVENHOLT_BUILD_VIEWER=OFF >/dev/null
cmake --build "$build_dir" -j 2 --target fuzzers
rm -rf "$build_dir/seeds"
"$build_dir/fuzz/make_fuzz_seeds" "$build_dir/seeds"
FUZZ_BUILD_DIR="$build_dir" fuzz/run.sh "${FUZZ_SECONDS:-10}"
