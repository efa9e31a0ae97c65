#!/bin/bash
# The Debian package that `make package` builds (cpack on the build folder): lintian finds no error or warning; it
# holds exactly files.txt with Debian's owners and permissions, each file accepted by the tools a desktop reads it
# with, and the dependencies the game needs.
# Usage: package.sh BUILD_DIR VERSION, the version the build was made for.
set -euo pipefail
build=$(realpath "$1") version=$2 here=$(dirname "$(realpath "$0")")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
deb=$(echo "$out"/poromea_"$version"_*.deb)
lintian --fail-on error,warning --tag-display-limit 0 "$deb"
diff -u <(sed 's|^games/|-rwxr-xr-x root/root ./usr/games/|; s|^share/|-rw-r--r-- root/root ./usr/share/|' "$here/files.txt") \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6} $1 ~ /^d/ && $1 != "drwxr-xr-x" {print "folder:", $0}' | LC_ALL=C sort -k3)
# Each file accepted by the tools a desktop reads it with (a warning desktop-file-validate prints fails too).
dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out"/root/usr/share/applications/*.desktop | { ! grep .; }
appstreamcli validate-tree --no-net --strict "$out/root"
(cd "$out"/root/usr/share/icons/hicolor && file */apps/*.png) | { ! grep -v -E '^([0-9]+)x\1/.*: +PNG image data, \1 x \1,'; }
fields=$(dpkg-deb -f "$deb" Package Version Section Depends | tee /dev/stderr)
for want in 'Package: poromea' "Version: $version" 'Section: games' 'Depends:.*libc6' 'Depends:.*libqt6widgets6' \
            'Depends:.*fonts-ipafont-mincho' 'Depends:.*fonts-ipafont-gothic'; do
    grep -q "^$want" <<<"$fields" || { echo "missing: $want"; exit 1; }
done
