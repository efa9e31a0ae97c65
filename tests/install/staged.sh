#!/bin/bash
# The game installed with DESTDIR into a scratch folder, as `make install` would put it under /usr, shows its main
# window on a private X server while the build and source folders are hidden: nothing it needs is left behind in them.
set -euo pipefail
build=$(realpath "$1") src=$(realpath "$2")
stage=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr

. "$src/tests/private_display.sh"
private_display "$stage"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$stage
unshare --mount --propagation private sh -c \
    'mount -t tmpfs none "$1" && mount -t tmpfs none "$2" && shift 2 && cd / && exec "$@"' \
    - "$build" "$src" "$usr/games/poromea" >"$stage/out" 2>&1 & game=$!
# A minute at most for the main window, then a second more to see that the game stays.
timeout 60 sh -c 'while kill -0 $0 && ! xwininfo -name ポロメア | grep -q IsViewable; do sleep 0.5; done 2>/dev/null' $game || true
sleep 1
kill -0 $game 2>/dev/null || { echo "the game ended: $(cat "$stage/out")"; exit 1; }
[ ! -s "$stage/out" ] || { echo "the game said: $(cat "$stage/out")"; exit 1; }
xwininfo -name ポロメア | awk '/geometry|Map State/ {print} /IsViewable/ {shown = 1} END {exit !shown}'
