#!/usr/bin/env bash
# Runs the screen-reader test program ($1, its arguments after it) the way a desktop runs the
# viewer for a screen reader: on an X display (a virtual one, started here and stopped after), in
# a session bus of its own where the accessibility bus starts on demand, with the toolkit's
# accessibility on. Exits 77 (skipped, with the reason) when any piece is missing.
set -uo pipefail
program="$1"
shift
python="${DRAVENHOLT_ATSPI_PYTHON:-/usr/bin/python3}"

skip() {
  echo "SKIPPED: $*"
  exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb is not installed (xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (dbus-daemon)"
[[ -x /usr/libexec/at-spi-bus-launcher ]] || skip "the accessibility bus is not installed (at-spi2-core)"
"$python" -c "import pyatspi" 2>/dev/null || skip "$python cannot import pyatspi (python3-pyatspi)"

# The first display number without a server.
number=150
while [[ -e "/tmp/.X11-unix/X$number" || -e "/tmp/.X$number-lock" ]]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT INT TERM
for _ in $(seq 100); do
  [[ -e "/tmp/.X11-unix/X$number" ]] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
[[ -e "/tmp/.X11-unix/X$number" ]] || skip "Xvfb did not start on :$number"

export DISPLAY=":$number" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 DRAVENHOLT_ATSPI_PYTHON="$python"
dbus-run-session -- "$program" "$@"
