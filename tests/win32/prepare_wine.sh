#!/usr/bin/env bash
# make test-build-win32: what the Windows tests need before they run, made once for a build folder, so that each run of
# the tests only copies it: a Wine prefix set up (BUILD_DIR/wine-prefix), and which build's tests run here
# (BUILD_DIR/wine-arch: "32" or "64", then why). Where Wine starts a 32-bit Windows program the tests run on the 32-bit
# build, as shipped; where it does not, or where tools/wine_packages.sh found wine32 of no use or not to be installed
# (BUILD_DIR/wine-way), the same tests are built 64-bit (make win64, into BUILD64_DIR) and run under wine64.
# POROMEA_WINE_ARCH=64 takes the 64-bit way anywhere, POROMEA_WINE_ARCH=32 the 32-bit way without asking.
#
#   tests/win32/prepare_wine.sh BUILD_DIR BUILD64_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd) || exit 1
build64=$(realpath -m "$2")
arch=${POROMEA_WINE_ARCH:-}
case $arch in ""|32|64) ;; *) echo "POROMEA_WINE_ARCH must be 32 or 64, not \"$arch\""; exit 1 ;; esac
packages_way=$(head -n 1 "$build/wine-way" 2>/dev/null)
# Made again when asked for another width than last time, when the packages allow another, or when Wine changed.
stamp="${arch:-probe} ${packages_way:-?} $(dpkg-query -W -f='${Version}' wine 2>/dev/null)"
if [ -d "$build/wine-prefix" ] && [ "$(sed -n 3p "$build/wine-arch" 2>/dev/null)" = "$stamp" ]; then
    [ "$(head -n 1 "$build/wine-arch")" = 32 ] || "${MAKE:-make}" -C "$root" --no-print-directory win64 WIN64_BUILD="$build64"
    exit
fi
rm -rf "$build/wine-prefix" "$build/wine-arch"
set -e
source "$here/wine_env.sh"
set +e

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

if [ -n "$arch" ]; then
    why="POROMEA_WINE_ARCH=$arch"
elif [ "$packages_way" = 64 ]; then
    arch=64 why=$(sed -n 2p "$build/wine-way")
elif probe "$wine32" "$build/wine_probe.exe" 32; then
    arch=32 why="this machine runs 32-bit Windows programs"
else
    arch=64 why="32-bit Windows programs cannot run here ($said)"
fi
if [ "$arch" = 64 ]; then
    "${MAKE:-make}" -C "$root" --no-print-directory win64 WIN64_BUILD="$build64" || exit 1
    probe "$wine64" "$build64/wine_probe.exe" 64 || { echo "win32: neither 32-bit nor 64-bit Windows programs run here (64-bit: $said)"; exit 1; }
fi
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
mv "$WINEPREFIX" "$build/wine-prefix"
printf '%s\n%s\n%s\n' "$arch" "$why" "$stamp" >"$build/wine-arch"
echo "win32: a Wine prefix made for the tests; they run on the $arch-bit build: $why"
