#!/bin/bash
# The game installed with DESTDIR into a scratch folder, as `make install`
# would put it under /usr.  "files": exactly the expected files, each
# accepted by the tools a desktop reads it with.  "run": the staged game
# shows its main window on a private X server while the build and source
# folders are hidden, so nothing it needs is left behind in them.
set -euo pipefail
build=$(realpath "$1") mode=$2 src=$(realpath "$3")
stage=$(mktemp -d)
trap 'kill $pids 2>/dev/null || true; rm -rf "$stage"' EXIT
pids=
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr

if [ "$mode" = files ]; then
    diff -u "$src/tests/install/files.txt" <(cd "$usr" && find . ! -type d | cut -c3- | LC_ALL=C sort)
    out=$(desktop-file-validate "$usr"/share/applications/*.desktop)
    [ -z "$out" ] || { echo "$out"; exit 1; }
    appstreamcli validate-tree --no-net --strict "$stage"
    for png in "$usr"/share/icons/hicolor/*/apps/*.png; do
        n=${png#"$usr"/share/icons/hicolor/}; n=${n%%x*}
        file -b "$png" | grep -q "^PNG image data, $n x $n," || { echo "$png: $(file -b "$png")"; exit 1; }
    done
    echo "staged files: $(wc -l < "$src/tests/install/files.txt"), all valid"
    exit 0
fi

exec 3>"$stage/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & pids=$!
for _ in $(seq 100); do [ -s "$stage/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$stage/display") QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$stage
unshare --mount --propagation private sh -c \
    'mount -t tmpfs none "$1" && mount -t tmpfs none "$2" && shift 2 && cd / && exec "$@"' \
    - "$build" "$src" "$usr/games/poromea" >"$stage/out" 2>&1 & game=$!
pids="$pids $game"
shown=
for _ in $(seq 120); do
    xwininfo -name ポロメア 2>/dev/null | grep -q 'Map State: IsViewable' && shown=1 && break
    kill -0 $game 2>/dev/null || break
    sleep 0.5
done
sleep 1
kill -0 $game 2>/dev/null || { echo "the game ended: $(cat "$stage/out")"; exit 1; }
[ -n "$shown" ] || { echo "no main window after a minute"; exit 1; }
[ ! -s "$stage/out" ] || { echo "the game said: $(cat "$stage/out")"; exit 1; }
xwininfo -name ポロメア | grep -E 'geometry|Map State'
