#!/usr/bin/env bash
# make test-win32, or tests/win32/run_wine_tests.sh [BUILD_DIR [BUILD64_DIR]]: poromea.exe read back from
# its PE file, then the Win32 host's tests under Wine; last, their sum: "win32: N passed, N failed".
# The tests run on the 32-bit build (BUILD_DIR, build-win32) where Wine starts a 32-bit Windows program;
# where it does not (a kernel without 32-bit code, whose qemu-i386 cannot carry Wine's loader), the same
# tests are built 64-bit (make win64, into BUILD64_DIR, build-win64) and run under wine64.
# POROMEA_WINE_ARCH=64 takes the 64-bit way anywhere, POROMEA_WINE_ARCH=32 the 32-bit way without asking.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-build-win32}" && pwd) || exit 1
build64=$(realpath -m "${2:-build-win64}")
arch=${POROMEA_WINE_ARCH:-}
case $arch in ""|32|64) ;; *) echo "POROMEA_WINE_ARCH must be 32 or 64, not \"$arch\""; exit 1 ;; esac
set -e
source "$here/wine_env.sh"
set +e

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")  # the version the build was made for
/usr/bin/python3 "$here/check_pe.py" "$build/poromea.exe" "$version" | tee "$work/results"

# Whether Wine starts the probe of that width here, in this prefix, within 30 s; what it said if not.
probe() {  # LOADER EXE BITS
    local out status
    out=$(cd "$work" && WINEDEBUG=err+all timeout 30 "$1" "$2" 2>&1)
    status=$?
    [ $status = 0 ] && grep -q "a $3-bit Windows program runs" <<<"$out" && return 0
    if [ $status = 124 ]; then said="no answer within 30 s"
    else said="status $status: $(grep -v '^\s*$' <<<"$out" | tail -n 1 | tr -d '\r' | cut -c 1-160)"; fi
    return 1
}

tests=$build loader=$wine32
if [ "$arch" = 64 ]; then
    echo "win32: the 64-bit build's tests under wine64: POROMEA_WINE_ARCH=64"
elif [ "$arch" = 32 ]; then
    echo "win32: the 32-bit build's tests under Wine: POROMEA_WINE_ARCH=32"
elif probe "$wine32" "$build/wine_probe.exe" 32; then
    echo "win32: the 32-bit build's tests under Wine: this machine runs 32-bit Windows programs"
else
    echo "win32: 32-bit Windows programs cannot run here ($said): the 64-bit build's tests under wine64"
    arch=64
fi
if [ "$arch" = 64 ]; then
    tests=$build64 loader=$wine64
    # The 64-bit tree is built only here, with its compiler installed by the Makefile's own step.
    # (Without it the tests print no sum, which counts as a failure.)
    "${MAKE:-make}" -C "$root" --no-print-directory win64 WIN64_BUILD="$build64" || echo "win32: the 64-bit build failed"
    if [ -f "$build64/wine_probe.exe" ] && ! probe "$wine64" "$build64/wine_probe.exe" 64; then
        echo "win32: neither 32-bit nor 64-bit Windows programs run here (64-bit: $said)"
    fi
fi

cd "$tests"  # where the tests find poromea.exe
timeout 1800 "$loader" "$tests/win32_host_tests.exe" 2>&1 | tee -a "$work/results"
echo "== the Wine tests took ${SECONDS}s, the prefix's set-up included"
awk '/^[0-9]+ passed, [0-9]+ failed/ { p += $1; f += $3; n++ }  # a program that printed none did not finish
     END { if (n < 2) f++; printf "win32: %d passed, %d failed\n", p, f; exit f > 0 }' "$work/results"
