#!/usr/bin/env bash
# Cross-builds the viewer, rollkit and their tests for 64-bit Windows into ./build-win (or
# $WINDOWS_BUILD_DIR), after putting the toolchain, Qt and the third-party pieces in place.
# Extra arguments go to CMake. Safe to run again: every step redoes only what is missing.
# Where ccache is installed, the cross compilers run through it.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
build="${WINDOWS_BUILD_DIR:-$repo/build-win}"
say() { echo "windows-build: $*" >&2; }
trap 'say "failed (exit $?) at line $LINENO: $BASH_COMMAND"' ERR

scripts/install-deps.sh --windows
qt=$(scripts/windows-qt.sh)
deps=$(scripts/windows-deps.sh)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DDRAVENHOLT_DISK_IMAGES=ON \
  -DCMAKE_PREFIX_PATH="$qt;$deps" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$repo/scripts/windows-run.sh;--build;$build" \
  "${launcher[@]}" \
  "$@" >/dev/null
cmake --build "$build" -j 2
