#!/usr/bin/env bash
# make test-win32, or tests/win32/run_wine_tests.sh [BUILD_DIR [BUILD64_DIR]]: poromea.exe read back from
# its PE file, then the Win32 host's tests under Wine, in a copy of the prefix that prepare_wine.sh made
# (make test-build-win32), on the build it chose; last, their sum: "win32: N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-win32}" && pwd) || exit 1
build64=$(realpath -m "${2:-build-win64}")
[ -d "$build/wine-prefix" ] || { echo "win32: no Wine prefix in $build: make test-build-win32 first"; echo "win32: 0 passed, 1 failed"; exit 1; }
set -e
WINE_TEMPLATE="$build/wine-prefix" source "$here/wine_env.sh"
set +e

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")  # the version the build was made for
/usr/bin/python3 "$here/check_pe.py" "$build/poromea.exe" "$version" | tee "$work/results"

arch=$(head -n 1 "$build/wine-arch")
echo "win32: the $arch-bit build's tests: $(sed -n 2p "$build/wine-arch")"
if [ "$arch" = 64 ]; then tests=$build64 loader=$wine64; else tests=$build loader=$wine32; fi
cd "$tests"  # where the tests find poromea.exe
timeout 1800 "$loader" "$tests/win32_host_tests.exe" 2>&1 | tee -a "$work/results"
echo "== the Wine tests took ${SECONDS}s"
awk '/^[0-9]+ passed, [0-9]+ failed/ { p += $1; f += $3; n++ }  # a program that printed none did not finish
     END { if (n < 2) f++; printf "win32: %d passed, %d failed\n", p, f; exit f > 0 }' "$work/results"
