#!/usr/bin/env bash
# Wine's 32-bit loader is 32-bit Linux code. Where the kernel runs none (it
# answers "Exec format error", as some virtual machines' kernels do), 32-bit
# programs are run through qemu-i386 instead, registered with binfmt_misc.
# Does nothing where 32-bit programs run natively or qemu is registered already.
set -euo pipefail
SUDO=${SUDO:-}

/lib/ld-linux.so.2 --version >/dev/null 2>&1 && exit 0

echo "This kernel runs no 32-bit code: running it through qemu-i386 (binfmt_misc)"
if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'ok installed'; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends qemu-user-static
fi
misc=/proc/sys/fs/binfmt_misc
[ -e "$misc/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$misc"
if [ ! -e "$misc/qemu-i386" ]; then
    # i386 ELF executables and shared objects (the loader); F: qemu opened now, usable in any mount namespace.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        | $SUDO tee "$misc/register" >/dev/null
fi
# Even then Wine's loader may not start under qemu; run_wine_tests.sh finds out, and takes the 64-bit build then.
/lib/ld-linux.so.2 --version >/dev/null 2>&1 || echo "32-bit programs still cannot run: only the 64-bit build's tests can"
