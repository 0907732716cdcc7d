#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on the bundled sample roll.
# The sample is built during the build (build/sample); a brevik.ini written next to it points
# the viewer there, and history.buf goes to build/family.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir="$(pwd)/${BUILD_DIR:-build}"
mkdir -p "$build_dir/family"
cat >"$build_dir/brevik.ini" <<INI
[Kinloom7m]
KinloomDir=$build_dir/family/
MRPath=$build_dir/sample/
INI
export BREVIK_INI="$build_dir/brevik.ini"

viewer="$build_dir/src/app/dravenholt"
if [[ -x "$viewer" ]]; then
  exec "$viewer"
fi
# Until the viewer is built: the same search through rollkit.
rollkit="$build_dir/src/tools/rollkit"
if [[ -x "$rollkit" ]]; then
  exec "$rollkit" search --data "$build_dir/sample" "${1:-Smith}"
fi
echo "Built the engine; the viewer and rollkit are not part of this build yet." >&2
