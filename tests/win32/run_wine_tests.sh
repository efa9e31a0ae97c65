#!/usr/bin/env bash
# Runs the Win32 build's tests: the executable's resources read back from the
# PE file, then the Win32 host's tests under Wine on a private Xvfb display, in
# a Wine prefix made for this run (removed afterwards).
#
#   tests/win32/run_wine_tests.sh [BUILD_DIR]            the tests
#   tests/win32/run_wine_tests.sh [BUILD_DIR] --screenshot DIR
#                                                       screenshots of both windows and the message box
#
# Needs wine (with wine32 and wine64), xvfb, fonts-ipafont and python3-pefile:
# `make test-win32` installs them first.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build-win32}
build=$(cd "$build" && pwd)
shots=""
if [ "${2:-}" = "--screenshot" ]; then shots=$(mkdir -p "${3:?directory}" && cd "$3" && pwd); fi

start=$(date +%s)
elapsed() { echo "$(( $(date +%s) - start ))s"; }

# Every summary line ("N passed, N failed") of this run, added up at the end.
summaries=()
run_counted() {  # run_counted command...: runs it, keeps its summary, returns its status
    local out status=0
    out=$(mktemp)
    "$@" 2>&1 | tee "$out" || status=${PIPESTATUS[0]}
    summaries+=("$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$out" | tail -1)")
    [ -n "${summaries[-1]}" ] || summaries[-1]="0 passed, 1 failed"  # no summary: it did not finish
    rm -f "$out"
    return "$status"
}
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
status=0

# --- the executable's resources, without running it ---
if [ -z "$shots" ]; then
    echo "== poromea.exe read back from the PE file"
    run_counted /usr/bin/python3 "$here/check_pe.py" "$build/poromea.exe" || status=1
fi

# --- a display and a Wine prefix of our own ---
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

# The two fonts of the labels, as the free IPA fonts (fonts-ipafont).
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

EOF
} >"$work/fonts.reg"
timeout 300 "$wine64" regedit /S "$(winpath "$work/fonts.reg")"
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
    /usr/bin/python3 "$here/measure_screenshot.py" "$shots"
    exit 0
fi

echo "== the Win32 host's tests under Wine"
run_counted timeout 1800 "$wine32" "$build/win32_host_tests.exe" || status=1
echo "== Wine tests took $(elapsed) in all"
passed=0 failed=0
for line in "${summaries[@]}"; do
    read -r p _ f _ <<<"${line//,/}"
    passed=$((passed + p)) failed=$((failed + f))
done
echo "win32: $passed passed, $failed failed"
exit "$status"
