"""An X display of a test's own, away from those xvfb-run and -displayfd
take, claimed by the server's lock file: no race with other runs."""
import os
import random
import subprocess


def claim(start=subprocess.Popen):
    """Starts Xvfb on a free display with `start` (Popen's arguments); returns (":N", the server)."""
    for number in random.sample(range(200, 1000), 50):
        read, write = os.pipe()
        xvfb = start(["Xvfb", f":{number}", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp", "-noreset"], pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as ready:
            if ready.readline().strip():
                return f":{number}", xvfb
        xvfb.wait()  # taken
    raise RuntimeError("no free X display")
