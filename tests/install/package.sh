#!/bin/bash
# The Debian package built from the build folder by cpack, as `make package`
# builds it: lintian finds no error or warning, and it holds exactly the
# installed files with Debian's owners and permissions, and the dependencies
# the game needs.
set -euo pipefail
build=$(realpath "$1") here=$(dirname "$(realpath "$0")")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
deb=$(echo "$out"/poromea_1.0.0_*.deb)
lintian --fail-on error,warning --tag-display-limit 0 "$deb"
diff -u <(sed 's|^games/|-rwxr-xr-x root/root ./usr/games/|; s|^share/|-rw-r--r-- root/root ./usr/share/|' "$here/files.txt") \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | LC_ALL=C sort -k3)
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" {print "folder:", $0; bad=1} END {exit bad}'
fields=$(dpkg-deb -f "$deb" Package Version Section Depends)
echo "$fields"
for want in 'Package: poromea' 'Version: 1.0.0' 'Section: games' 'Depends:.*libc6' \
            'Depends:.*libqt6widgets6' 'Depends:.*fonts-ipafont-mincho' 'Depends:.*fonts-ipafont-gothic'; do
    grep -q "^$want" <<<"$fields" || { echo "missing: $want"; exit 1; }
done
