#!/usr/bin/env bash
# make reproducible, or tests/install/reproducible.sh SOURCE_DIR BUILD_DIR WIN32_BUILD_DIR: the Debian package and
# the Windows executable built a second time from a copy of the sources, and compared byte for byte with those already
# made there (BUILD_DIR's by make package, WIN32_BUILD_DIR/poromea.exe). The copy lies in another folder, its files
# dated now as a fresh checkout's are, and it is built later, with no tests, under umask 077, another locale and
# another time zone, its package by make package as a packager makes it. Where two builds differ, diffoscope says how.
# Last, "reproducible: N passed, N failed".
set -uo pipefail
src=$(realpath "$1") build=$(realpath "$2") win32=$(realpath "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/poromea-again.XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
log=$work/build.log

# A clone of the sources' history, for the dates taken from it, with the files as the work tree has them, dated now.
copy=$work/elsewhere/poromea
git clone -q --shared --no-checkout "$src" "$copy" \
    && (cd "$src" && git ls-files -z -c -o --exclude-standard | while IFS= read -r -d '' f; do [ -f "$f" ] && printf '%s\0' "$f"; done) \
    | tar -C "$src" --null -T - -c | tar -C "$copy" --touch -x || { echo "reproducible: the sources could not be copied"; exit 1; }
again() {  # FOLDER CMAKE_OPTIONS...: configures and builds the copy there, as another user would
    (umask 077; export LC_ALL=C.UTF-8 TZ=Pacific/Kiritimati
     cmake -S "$copy" -B "$copy/$1" "${@:2}" -DBUILD_TESTING=OFF && cmake --build "$copy/$1" -j "$(nproc)") >>"$log" 2>&1 \
        || { tail -n 30 "$log"; return 1; }
}
same() {  # WHAT FIRST SECOND
    if cmp -s "$2" "$3"; then
        echo "ok      $1: the same $(stat -c %s "$2") bytes, sha256 $(sha256sum <"$2" | cut -c 1-16)…"; passed=$((passed + 1))
    else
        echo "DIFFERS $1: $2 and $3"; failed=$((failed + 1))
        diffoscope --no-progress --text - --max-text-report-size 6000 "$2" "$3" 2>&1 | head -n 80
    fi
}

type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
first=$(echo "$build"/poromea_*.deb)
[ -f "$first" ] || { echo "reproducible: no package in $build: make package first"; exit 1; }
if again build -DCMAKE_BUILD_TYPE="$type" -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
   && (umask 077; LC_ALL=C.UTF-8 make -C "$copy" --no-print-directory package >>"$log" 2>&1) || { tail -n 30 "$log"; false; }; then
    same "the Debian package $(basename "$first")" "$first" "$copy/build/$(basename "$first")"
    # Neither folder's path in the game as built, debug information and all.
    if grep -q -a -F -e "$copy" -e "$src/" "$copy/build/poromea" "$build/poromea"; then
        echo "DIFFERS the game as built holds a build or source folder's path"; failed=$((failed + 1))
    else
        echo "ok      the game as built holds no build or source folder's path"; passed=$((passed + 1))
    fi
else
    echo "FAILED  the copy's package"; failed=$((failed + 1))
fi

if again build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel; then
    same "the Windows executable poromea.exe" "$win32/poromea.exe" "$copy/build-win32/poromea.exe"
else
    echo "FAILED  the copy's Windows build"; failed=$((failed + 1))
fi
echo "reproducible: $passed passed, $failed failed"
[ $failed = 0 ]
