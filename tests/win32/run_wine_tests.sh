#!/usr/bin/env bash
# make test-win32, or tests/win32/run_wine_tests.sh [BUILD_DIR]: poromea.exe read back from its
# PE file, then the Win32 host's tests under Wine; last, their sum: "win32: N passed, N failed".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-win32}" && pwd)
source "$here/wine_env.sh"
cd "$build"  # where the tests find poromea.exe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)  # the version the build was made for
/usr/bin/python3 "$here/check_pe.py" "$build/poromea.exe" "$version" | tee "$work/results" || true
timeout 1800 "$wine32" "$build/win32_host_tests.exe" 2>&1 | tee -a "$work/results" || true
echo "== the Wine tests took ${SECONDS}s, the prefix's set-up included"
awk '/^[0-9]+ passed, [0-9]+ failed/ { p += $1; f += $3; n++ }  # a program that printed none did not finish
     END { if (n < 2) f++; printf "win32: %d passed, %d failed\n", p, f; exit f > 0 }' "$work/results"
