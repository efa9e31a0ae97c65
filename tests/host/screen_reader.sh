#!/usr/bin/env bash
# Plays the real game as a screen reader user would: on a private X display
# and session bus with the accessibility registry, the game's keys typed
# through XTEST, everything read back over the accessibility bus.
#
#   tests/host/screen_reader.sh GAME
set -euo pipefail
game=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${POROMEA_PRIVATE_BUS:-}" ]; then
    exec env POROMEA_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# The accessibility bus and its registry, as a desktop session starts them.
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)
sleep 1

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$game" >"$work/game.log" 2>&1 &
pids+=($!)
status=0
/usr/bin/python3 "$here/screen_reader.py" || status=$?
[ "$status" = 0 ] || { echo "--- the game said:"; cat "$work/game.log"; }
exit "$status"
