"""What the Orca screen reader says while a player who cannot see the screen
plays whole games with the keys alone.

    orca_test.py GAME

Everything runs in a world of its own: a private X display (Xvfb) with a
window manager, a private session bus, the accessibility bus it starts, Orca
speaking through speech-dispatcher and espeak-ng into ALSA's null device, and a
temporary HOME holding every configuration these read or write. The keys are
typed through XTEST. What Orca says is read from its debug log, one
"SPEECH OUTPUT" line per utterance. Every process started here, directly or
by the buses, ends before the script does. With POROMEA_ORCA_KEEP=DIR, the
private HOME and the logs of Orca and speech-dispatcher are copied to DIR."""
import contextlib
import ctypes
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import private_display

from gi.repository import GLib

PARTS = ["くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ", "ひだりめ"]  # as the deal says them, and their places
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'(?: voice=\w+)?\s*(?:\{[^{}]*\})?$")

# Orca writes its debug log through a buffer; a line a time lets the test
# hear each utterance as it is said. Loaded by Orca from the private HOME.
CUSTOMIZATIONS = """\
import orca.debug
if orca.debug.debugFile:
    orca.debug.debugFile.reconfigure(line_buffering=True)
"""

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)
    return ok


class World:
    """The private display, buses, window manager and screen reader."""

    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="poromea-orca-")
        self.marker = "POROMEA_ORCA_TEST=" + os.path.basename(self.tmp)
        home = os.path.join(self.tmp, "home")
        runtime = os.path.join(self.tmp, "run")
        os.makedirs(os.path.join(home, ".local", "share", "orca"))
        os.makedirs(runtime, mode=0o700)
        # Without a sound device, speech-dispatcher's output fails and Orca
        # falls silent after its second sentence: the null device takes it.
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\n")
        # speech-dispatcher's own settings, as `spd-conf -u` makes them, sending
        # the sound to ALSA (there is no PulseAudio here).
        speechd = os.path.join(home, ".config", "speech-dispatcher")
        shutil.copytree("/etc/speech-dispatcher", speechd)
        with open(os.path.join(speechd, "speechd.conf"), "a") as f:
            f.write('AudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                    'DefaultModule espeak-ng\n')
        with open(os.path.join(home, ".local", "share", "orca", "orca-customizations.py"), "w") as f:
            f.write(CUSTOMIZATIONS)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "LANG": "C.UTF-8",
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
            "XDG_RUNTIME_DIR": runtime,
        }
        # Marks every process of this world, including those the buses start.
        name, value = self.marker.split("=", 1)
        self.env[name] = value
        self.log = os.path.join(self.tmp, "orca-debug.out")
        self.procs = []

    def start(self, args, **kw):
        proc = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL, start_new_session=True, **kw)
        self.procs.append(proc)
        return proc

    def __enter__(self):
        try:
            return self.begin()
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def begin(self):
        # The daemons that leave their parents (speech-dispatcher) become
        # this script's children, so that it reaps them.
        ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
        self.env["DISPLAY"], _ = private_display.claim(self.start)
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        subprocess.run(["gsettings", "set", "org.gnome.desktop.interface", "toolkit-accessibility", "true"],
                       env=self.env, check=True)
        self.start(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Orca 43 will not start while another Orca of this user runs: one
        # such test at a time on this machine, after any other Orca has ended.
        self.lock = open(os.path.join(tempfile.gettempdir(), "poromea-orca-test.lock"), "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        deadline = time.time() + 60
        while subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], capture_output=True).stdout:
            if time.time() > deadline:
                raise RuntimeError("another Orca of this user is running; Orca 43 starts no second one")
            time.sleep(0.5)
        self.orca = self.start(["orca", "--disable", "braille", "--debug-file", self.log], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.read = 0  # how far the log has been heard
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.procs):  # the game, Orca, the window manager, the bus, the display
            with contextlib.suppress(ProcessLookupError):
                os.killpg(proc.pid, signal.SIGTERM)
            with contextlib.suppress(subprocess.TimeoutExpired):
                proc.wait(5)
            with contextlib.suppress(ProcessLookupError):
                os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
        # Those the buses and Orca started on their own: the accessibility bus
        # and its registry, speech-dispatcher and its voices, dconf.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            left = self.ours()
            for pid in left:
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, sig)
            end = time.time() + 5
            while self.ours() and time.time() < end:
                time.sleep(0.1)
        with contextlib.suppress(ChildProcessError):  # until no child is left
            end = time.time() + 5
            while time.time() < end:
                if not os.waitpid(-1, os.WNOHANG)[0]:
                    time.sleep(0.05)
        check(not self.ours(), f"processes left running: {self.ours()}")
        if os.environ.get("POROMEA_ORCA_KEEP"):  # for a look at Orca's and speech-dispatcher's logs
            subprocess.run(["cp", "-r", self.tmp, os.environ["POROMEA_ORCA_KEEP"]], stderr=subprocess.DEVNULL)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def ours(self):
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            with contextlib.suppress(OSError):
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if self.marker.encode() in f.read().split(b"\0"):
                        found.append(int(pid))
        return found

    def spoken(self):
        """Every utterance so far."""
        with contextlib.suppress(FileNotFoundError):
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return [m.group(1) for line in f if (m := SPOKEN.search(line.rstrip("\n")))]
        return []

    def hear(self, seconds=3, until=None):
        """What Orca says from now on, for `seconds` or until `until` holds of it."""
        end = time.time() + seconds
        while True:
            said = self.spoken()[self.read:]
            if (until and until(said)) or time.time() >= end:
                self.read += len(said)
                return said
            end_pump = time.time() + 0.1
            while time.time() < end_pump:  # the accessibility bus's events meanwhile, for `described`
                while GLib.MainContext.default().iteration(False):
                    pass
                time.sleep(0.01)

    def key(self, *names):
        subprocess.run(["xdotool", "key", "--delay", "80", *names], env=self.env, check=True)


def said(world, step, key, *heard_all, may=(), seconds=20):
    """Types `key` (or nothing) and waits until Orca has said every one of `heard_all`, in any order, then until it
    falls quiet; checks that it said nothing else but `may` and the key's own echo, which Orca may leave out or
    cut short as windows change."""
    if key:
        world.key(key)
    echo = {"Return": "return ", "Escape": "escape ", "Tab": "tab ", "space": "space ",
            "shift+Tab": "left shift "}.get(key, f"{key} " if key and len(key) == 1 else None)
    heard = world.hear(seconds, lambda s: all(w in s for w in heard_all))
    while more := world.hear(0.7, lambda s: s):  # until it falls silent
        heard += more
    allowed = {*heard_all, *may, echo}
    check(all(w in heard for w in heard_all) and all(h in allowed for h in heard),
          f"{step}: Orca said {heard}, not all of {list(heard_all)}" + (f" (nor else but {list(may)})" if may else ""))
    return heard


def main(game):
    with World() as world:
        if not check(world.hear(60, lambda s: "Screen reader on." in s), "Orca started"):
            return
        world.start([game])
        # What a screen reader that watches the cards hears of them: each tells its new picture as it changes.
        os.environ.update(DISPLAY=world.env["DISPLAY"], DBUS_SESSION_BUS_ADDRESS=world.env["DBUS_SESSION_BUS_ADDRESS"])
        import pyatspi
        described = []
        pyatspi.Registry.registerEventListener(lambda e: described.append((e.source.name, e.source.description)),
                                               "object:property-change:accessible-description")
        said(world, "the main window opens", None, "ポロメア frame.", "START push button.", "スタート.", seconds=60)

        # The deal is told as START is pressed, card by card; it is random.
        # (Orca ends a sentence with a full stop unless it ends with a bracket.)
        pressed = time.time()
        world.key("space")
        heard = world.hear(20, lambda s: any(h.startswith("notification ") for h in s))
        deal = re.fullmatch(r"notification 1 (\S+) 2 (\S+) 3 (\S+) 4 (\S+) 5 (\S+) 6 (\S+?)\.?", heard[-1] if heard else "")
        check(heard[:1] == ["space "] and deal and sorted(deal.groups()) == sorted(PARTS),
              f"START: Orca said {heard}, not the deal")
        if not deal:
            return
        card = {part: deal.groups().index(part) + 1 for part in PARTS}
        # Not before the five seconds; how late is the machine's load (the game's time is measured elsewhere).
        covered = world.hear(30, lambda s: s)
        waited = time.time() - pressed
        check(covered == ["notification カードを ふせました。すうじキーで とれます."] and waited >= 4.8,
              f"covering: Orca said {covered} {waited:.1f} s after START")
        world.hear(1)
        cards = [f"カード {i}" for i in range(1, 7)]
        check(sorted(set(described)) == sorted([(c, {"みぎめ": "みぎめ（ほくろ）"}.get(p, p)) for c, p in zip(cards, deal.groups())] +
                                               [(c, f"{c} の うら") for c in cards]),
              f"the cards told a screen reader {described}")

        # A card held by a digit key, moved by the arrows, put back by Escape.
        mouth = card["くち"]
        said(world, "a digit", str(mouth), f"notification カード {mouth}を とりました。くち あき.")
        said(world, "Right", "Right", "notification はな あき.")
        said(world, "Left", "Left", "notification くち あき.")
        said(world, "Escape", "Escape", f"notification カード {mouth}を もどしました.")
        # Orca is where the keys are, on START: Tab goes on to O K, and back. (Orca's own commands, such as
        # where-am-I, are not used: on a loaded machine Qt stops waiting for Orca to take them, and they reach
        # the game.)
        said(world, "Tab after Escape", "Tab", "OK push button.", "こたえあわせ.")
        said(world, "back to START after Escape", "shift+Tab", "START push button.", "スタート.")

        # The right answer, slot after slot.
        for slot, part in enumerate(PARTS):
            c = card[part]
            under = "あき" if slot == 0 else f"カード {mouth}"
            said(world, f"taking {part}", str(c), f"notification カード {c}を とりました。くち {under}.")
            for to in range(1, slot + 1):  # past the cards already placed
                shown = "あき" if to == slot else f"カード {card[PARTS[to]]}"
                said(world, f"{part} to {PARTS[to]}", "Down", f"notification {PARTS[to]} {shown}.")
            said(world, f"dropping {part}", "Return", f"notification カード {c}を {PARTS[slot]}に おきました.")
        said(world, "Tab after the drops", "Tab", "OK push button.", "こたえあわせ.")
        said(world, "the right answer", "Return", "おめでとう !! frame.", "CONGRATULATIONS !! image.")
        # Back in the main window at its button; as the windows change, Orca
        # may leave out the window's name or the button's description.
        said(world, "Escape closes it", "Escape", "OK push button.", may=["ポロメア frame.", "こたえあわせ."])

        # A wrong answer: START again, then O  K with nothing placed.
        said(world, "back to START", "shift+Tab", "START push button.", "スタート.")
        world.key("space")
        world.hear(30, lambda s: "notification カードを ふせました。すうじキーで とれます." in s)
        said(world, "Tab again", "Tab", "OK push button.", "こたえあわせ.")
        # The box's button takes the focus as the box opens.
        said(world, "the wrong answer", "Return", "alert まちがいです。", "ざんねん、スタートボタンから やりなおし。",
             may=["OK push button."])
        said(world, "its OK", "Return", "OK push button.", may=["ポロメア frame.", "こたえあわせ."])
        print("Orca said:", *world.spoken(), sep="\n  ")


def stop(signum, _frame):  # a time limit or ctest's: the world still ends
    raise SystemExit(f"stopped by signal {signum}")


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGALRM, stop)
    signal.alarm(300)  # a hang, with room for a loaded machine
    start = time.time()
    try:
        main(sys.argv[1])
    finally:
        print(f"orca: {len(failures)} failed, {time.time() - start:.0f} s", flush=True)
    sys.exit(1 if failures else 0)
