#!/usr/bin/env bash
# tools/wine_packages.sh WAY_FILE: installs what the Windows executable's tests need, and writes into
# WAY_FILE which build they can run on here: "32" or "64", then why.
#
# The shipped executable is 32-bit, and Wine runs it only with its 32-bit half, wine32, a package of
# Debian's i386 architecture. That is asked for only where it can be of use and installed today:
#   - where this kernel runs no 32-bit program (asked of the kernel with a tiny 32-bit executable of
#     our own, before any i386 package), no architecture is added and no i386 package installed;
#   - where the i386 packages cannot be installed (lists out of step with the archive, versions
#     skewed against their amd64 twins), an architecture that holds nothing is taken away again,
#     so that it cannot make every later `apt-get update` of the machine fail.
# Either way the tests take the 64-bit build under wine64, and a line says why.
#
# For showing those ways on any machine: POROMEA_RUNS_32BIT=no answers the kernel's question with no,
# POROMEA_I386_PACKAGES replaces the i386 packages asked for (a name that does not exist fails).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
way_file=$1
mkdir -p "$(dirname "$way_file")"
export SUDO=${SUDO:-}
"$here/ensure_packages.sh" wine wine64 fonts-wine xvfb xauth fonts-ipafont-mincho fonts-ipafont-gothic python3-pefile \
    || exit 1
i386=(${POROMEA_I386_PACKAGES:-wine32:i386})

# An i386 ELF executable of 93 bytes that only calls exit(42): the kernel runs it, or answers that
# it cannot ("Exec format error").
runs_32bit() {
    [ "${POROMEA_RUNS_32BIT:-}" = no ] && { said="POROMEA_RUNS_32BIT=no"; return 1; }
    local probe="$way_file.probe" status
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0'`
          `'\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\263\52\315\200' >"$probe"
    chmod +x "$probe"
    said=$("$probe" 2>&1); status=$?
    rm -f "$probe"
    [ $status = 42 ] && return 0
    said=${said##*: }; said=${said:-status $status}
    return 1
}

i386_packages() { dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' 2>/dev/null | grep -c ':i386 .*ok installed'; }

way() {  # BITS WHY
    printf '%s\n%s\n' "$1" "$2" >"$way_file"
    [ "$1" = 64 ] && echo "win32: $2: the Windows tests take the 64-bit build under wine64, and no i386 package is installed"
    return 0
}

if [ "${POROMEA_WINE_ARCH:-}" = 64 ]; then
    way 64 "POROMEA_WINE_ARCH=64"
elif ! runs_32bit; then
    way 64 "this kernel runs no 32-bit program ($said)"
else
    had_arch=$(dpkg --print-foreign-architectures | grep -cx i386)
    [ "$had_arch" = 1 ] || { echo "Adding Debian's i386 architecture for wine32"; $SUDO dpkg --add-architecture i386 || exit 1; }
    if out=$("$here/ensure_packages.sh" "${i386[@]}" 2>&1); then
        printf '%s\n' "$out" | grep -v '^$'
        way 32 "this machine runs 32-bit programs"
    else
        printf '%s\n' "$out"
        reason=$(printf '%s\n' "$out" | grep -E '^    E:' | tail -n 1 | sed 's/^ *//')
        if [ "$(i386_packages)" = 0 ] && dpkg --print-foreign-architectures | grep -qx i386; then
            if $SUDO dpkg --remove-architecture i386; then
                [ "$had_arch" = 1 ] && echo "Removed the i386 architecture, which held no package"
            else
                echo "win32: the i386 architecture could not be removed again: dpkg --remove-architecture i386"; exit 1
            fi
        fi
        way 64 "the i386 packages cannot be installed today (${reason:-apt-get failed})"
    fi
fi
