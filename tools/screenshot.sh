#!/bin/bash
# Takes the README's picture of the game in play: the real main window on a
# private X server, START pressed so the cards show their parts.
#
# Usage:  tools/screenshot.sh build/poromea docs/screenshot.png
set -euo pipefail
game=$(realpath "$1") out=$2
tmp=$(mktemp -d)
trap 'kill $pids 2>/dev/null || true; rm -rf "$tmp"' EXIT
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & pids=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$tmp/display") QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$tmp
"$game" & pids="$pids $!"
win=$(timeout 60 xdotool search --sync --onlyvisible --name '^ポロメア$' | head -1)
# START, from the layout: 240,5520 twips, 1335x735, 15 twips to a pixel
xdotool mousemove --window "$win" 60 392 click 1
sleep 1  # the parts stay face up for five seconds
eval "$(xdotool getwindowgeometry --shell "$win")"
mkdir -p "$(dirname "$out")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "$out"
echo "$out: ${WIDTH}x${HEIGHT}"
