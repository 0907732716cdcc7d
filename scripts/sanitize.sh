#!/usr/bin/env bash
# Builds the engine, rollkit and their tests under AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitize (or $SANITIZE_BUILD_DIR), without the viewer, and runs every test there.
# Any sanitizer report fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build_dir="${SANITIZE_BUILD_DIR:-build-sanitize}"
# -O1 and line tables: what the sanitizers' own documentation advises, in about two thirds of the
# time a full optimised build with full debug information takes.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVENHOLT_SANITIZE=ON \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DDRAVENHOLT_BUILD_VIEWER=OFF -DDRAVENHOLT_BUILD_TESTS=ON >/dev/null
cmake --build "$build_dir" -j 2
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build_dir"
ctest --output-on-failure -j 2
