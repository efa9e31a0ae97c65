#!/usr/bin/env bash
# make screenshot-win32: the main window, the congratulation window and the wrong answer's
# message box under Wine (the last two shown by poromea_pose.exe), each in a Wine desktop the
# size of the screen so that the frames show; then where the controls landed.
#
#   tools/screenshot_win32.sh BUILD_DIR SCREENSHOT_DIR
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
shots=$(mkdir -p "$2" && cd "$2" && pwd)
source "$tools/../tests/win32/wine_env.sh"  # the tests' display and Wine prefix

shoot() {  # shoot NAME WINDOW_TITLE PROGRAM [ARGUMENT]
    local name=$1 title=$2
    shift 2
    timeout 600 "$wine64" explorer /desktop=shot,1024x768 "$@" >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 300); do
        xwininfo -root -tree 2>/dev/null | grep -q "\"$title\"" && break
        sleep 1
    done
    sleep 3
    import -window root "$shots/$name.png"
    echo "$shots/$name.png"
    wineserver -k >/dev/null 2>&1 || true
    wait "$pid" 2>/dev/null || true
}
shoot main "ポロメア" "$(winpath "$build/poromea.exe")"
shoot correct "おめでとう !!" "$(winpath "$build/poromea_pose.exe")" correct
shoot wrong "まちがいです。" "$(winpath "$build/poromea_pose.exe")" wrong
/usr/bin/python3 "$tools/measure_screenshot.py" "$shots"
