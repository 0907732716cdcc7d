#!/usr/bin/env bash
# Saves the viewer's windows as PNG files for a person to look at (not a test): the window after
# a search, its menus, More Info, the help, the Find screens, the print preview, the research log
# (the Research window, a saved soldier's More Info, the log exported as Markdown). Builds the small
# program that takes them (tests/ui/screenshots.cc) into ./build (or $BUILD_DIR) first.
#
#   scripts/screenshots.sh [DIRECTORY] [ZOOM]     (default: build/screenshots, zoom 1)
#
# On the display in $DISPLAY; without one, on a virtual X display (Xvfb) started for the run and
# stopped after it; without Xvfb, on Qt's offscreen platform (no window decorations, no screen).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
out="${1:-$build_dir/screenshots}"
zoom="${2:-1}"

cmake --build "$build_dir" --target viewer_screenshots >/dev/null
mkdir -p "$out"
out="$(cd "$out" && pwd)"
rm -f "$out"/*.png "$out"/research-log.md

xvfb_pid=""
stop_xvfb() { if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
trap stop_xvfb EXIT INT TERM
if [[ -n "${DISPLAY:-}" ]]; then
  export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
elif command -v Xvfb >/dev/null; then
  # The first display number without a server, and the server started on it.
  number=90
  while [[ -e "/tmp/.X11-unix/X$number" || -e "/tmp/.X$number-lock" ]]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -e "/tmp/.X11-unix/X$number" ]] && break; sleep 0.1; done
  [[ -e "/tmp/.X11-unix/X$number" ]] || { echo "screenshots: Xvfb did not start on :$number" >&2; exit 1; }
  export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
else
  export QT_QPA_PLATFORM=offscreen
fi

DRAVENHOLT_SCREENSHOT_DIR="$out" DRAVENHOLT_SCREENSHOT_ZOOM="$zoom" \
  "$build_dir/tests/ui/viewer_screenshots" --gtest_brief=1
echo "screenshots in $out:"
ls "$out"
