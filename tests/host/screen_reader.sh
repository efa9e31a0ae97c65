#!/usr/bin/env bash
# Plays the real game as a screen reader user would: on a private X display
# and session bus with the accessibility bus, the game's keys typed through
# XTEST, everything read back over the accessibility bus.
#
#   tests/host/screen_reader.sh GAME
set -eu
if [ -z "${POROMEA_PRIVATE_BUS:-}" ]; then
    exec env POROMEA_PRIVATE_BUS=1 dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
sleep 1
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" &
game=$!
trap 'kill $game $bus 2>/dev/null' EXIT
/usr/bin/python3 "$(dirname "$0")/screen_reader.py"
