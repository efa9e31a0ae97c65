#!/usr/bin/env bash
# tools/ensure_packages.sh PACKAGE...: installs whichever of the Debian packages are missing.
#
# It holds on a bad day: apt retries each download, and a package list that fails to download (an
# archive caught in the middle of its sync) stops nothing by itself, since apt keeps the lists it had
# and the packages asked for may not need that one. Only an install that fails fails, and then it
# names each package that cannot be installed, with apt's own words for why. SUDO is the command
# that makes it root ("sudo", or empty for root).
set -uo pipefail
missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} = 0 ] && exit 0

apt=(${SUDO:-} apt-get -o DPkg::Lock::Timeout=900 -o Acquire::Retries=5)
echo "Installing: ${missing[*]}"
if ! said=$("${apt[@]}" update -qq 2>&1); then
    printf '%s\n' "$said" | grep -E '^(E|W):' | sed 's/^/  apt-get update: /'
    echo "Some package lists could not be downloaded: installing from the lists apt has"
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1
status=$?
[ $status = 0 ] && exit 0

# Which of them cannot be installed, each asked alone; where each alone could, the install itself failed.
echo "Could not install every one of: ${missing[*]}"
alone=0
for p in "${missing[@]}"; do
    if ! why=$("${apt[@]}" install -s -q --no-install-recommends "$p" 2>&1); then
        alone=1
        echo "  $p cannot be installed:"
        # apt's reasons: its first unmet dependencies, then its error.
        printf '%s\n' "$why" | grep -E '^ .* : |^ {8,}Depends|^E:' | grep -v '^E:' | head -n 6 | sed 's/^ */    /'
        printf '%s\n' "$why" | grep '^E:' | sed 's/^/    /'
    fi
done
[ $alone = 1 ] || { echo "  apt-get install said:"; grep -E '^(E|W):' "$log" | tail -n 12 | sed 's/^/    /'; }
exit $status
