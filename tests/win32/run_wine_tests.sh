#!/usr/bin/env bash
# The Win32 build's tests: the executable's resources read back from the PE
# file, then the Win32 host's tests under Wine on a private Xvfb display, in a
# Wine prefix made for this run (removed afterwards).
#
#   tests/win32/run_wine_tests.sh [BUILD_DIR]                  the tests
#   tests/win32/run_wine_tests.sh [BUILD_DIR] --screenshot DIR  both windows and the message box, measured
#
# Needs wine (wine32 and wine64), xvfb, fonts-ipafont and python3-pefile:
# `make test-win32` installs them first.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-win32}" && pwd)
shots=""
if [ "${2:-}" = "--screenshot" ]; then shots=$(mkdir -p "${3:?directory}" && cd "$3" && pwd); fi
start=$(date +%s)
elapsed() { echo "$(( $(date +%s) - start ))s"; }
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/poromea-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
xvfb_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

status=0
if [ -z "$shots" ]; then
    echo "== poromea.exe read back from the PE file"
    /usr/bin/python3 "$here/check_pe.py" "$build/poromea.exe" | tee "$work/results" || status=1
fi

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

# 64-bit Wine runs the prefix's own services natively; only the 32-bit test
# programs run as 32-bit code (through qemu-i386 where the kernel cannot).
wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
echo "== creating the Wine prefix ($(elapsed))"
timeout 1200 "$wine64" wineboot --init >"$work/wineboot.log" 2>&1 || {
    echo "wineboot failed:"; cat "$work/wineboot.log"; exit 1; }

# The two fonts of the labels as the free IPA fonts (fonts-ipafont). And with
# no window manager on the display, windows are left unmanaged: Wine would
# otherwise wait two seconds for a manager to withdraw each window it hides.
{
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ 明朝"="IPAMincho"
"ＭＳ ゴシック"="IPAGothic"
"MS Mincho"="IPAMincho"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

EOF
} >"$work/settings.reg"
timeout 300 "$wine64" regedit /S "$(winpath "$work/settings.reg")"
echo "== prefix ready ($(elapsed))"

if [ -n "$shots" ]; then
    # Each scene in a Wine desktop the size of the screen, so window frames show.
    shoot() {  # shoot NAME WINDOW_TITLE command...
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
    shoot correct "おめでとう !!" "$(winpath "$build/win32_host_tests.exe")" --pose correct 60
    shoot wrong "まちがいです。" "$(winpath "$build/win32_host_tests.exe")" --pose wrong 60
    /usr/bin/python3 "$here/../../tools/measure_screenshot.py" "$shots"
    exit 0
fi

echo "== the Win32 host's tests under Wine"
timeout 1800 "$wine32" "$build/win32_host_tests.exe" 2>&1 | tee -a "$work/results" || status=1
echo "== Wine tests took $(elapsed) in all"
# Every summary line ("N passed, N failed") added up; a program that printed none did not finish.
awk '/^[0-9]+ passed, [0-9]+ failed/ { p += $1; f += $3; n++ }
     END { if (n < 2) f++; printf "win32: %d passed, %d failed\n", p, f; exit f > 0 }' "$work/results" || status=1
exit "$status"
