"""The world a test hears the game through Orca in, shared by the Qt host's test (tests/host/orca_test.py) and the
page's, each ended before the script ends: a private X display with a window manager, a
private session bus and the accessibility bus it starts, Orca with its default settings speaking through
speech-dispatcher and espeak-ng into ALSA's null device, a temporary HOME for their settings. Keys are typed through
XTEST; what Orca says is read from its debug log."""
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

from gi.repository import GLib

SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'(?: voice=\w+)?\s*(?:\{[^{}]*\})?$")
VOICED = re.compile(r"SPEECH DISPATCHER: Speaking '(.*)' ?$")  # all the voice is given, what Orca reads of a page too
KANJI = re.compile("[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff]")  # which Debian's voice reads as "Chinese letter"
PARTS = ["くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ", "ひだりめ"]  # as the deal says them, and their places
failures = []
limit = 0  # run's time limit, in seconds


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)
    return ok


class World:
    """The private display, buses, window manager and screen reader."""

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="poromea-orca-")
        self.read = 0  # how far Orca's log has been heard
        home, self.log = os.path.join(self.tmp, "home"), os.path.join(self.tmp, "orca-debug.out")
        os.makedirs(os.path.join(home, ".local", "share", "orca"))
        os.makedirs(os.path.join(self.tmp, "run"), mode=0o700)
        # Without a sound device, speech-dispatcher's output fails and Orca falls silent after its second
        # sentence: the null device takes it. speech-dispatcher's own settings, as `spd-conf -u` makes them,
        # send the sound to ALSA (there is no PulseAudio here).
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\n")
        shutil.copytree("/etc/speech-dispatcher", os.path.join(home, ".config", "speech-dispatcher"))
        with open(os.path.join(home, ".config", "speech-dispatcher", "speechd.conf"), "a") as f:
            f.write('AudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nDefaultModule espeak-ng\n')
        # Orca writes its debug log through a buffer; a line a time lets the test hear each utterance as it is said.
        with open(os.path.join(home, ".local", "share", "orca", "orca-customizations.py"), "w") as f:
            f.write("import orca.debug\nif orca.debug.debugFile:\n    orca.debug.debugFile.reconfigure(line_buffering=True)\n")
        # Nothing of the caller's but PATH: the XDG folders are HOME's own. The marker names every process of this
        # world, including those the buses start.
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8", "HOME": home,
                    "XDG_RUNTIME_DIR": os.path.join(self.tmp, "run"), "POROMEA_ORCA_TEST": os.path.basename(self.tmp)}
        try:
            # The daemons that leave their parents (speech-dispatcher) become this script's children, so that it reaps them.
            ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
            # An X display of its own (tests/private_display.sh), its server waited for by the shell that started it.
            shell = self.start(["bash", "-c", '. "$0" && private_display "$1" && echo "$DISPLAY" && wait', os.path.join(
                os.path.dirname(os.path.abspath(__file__)), "private_display.sh"), self.tmp], stdout=subprocess.PIPE)
            self.env["DISPLAY"] = shell.stdout.readline().decode().strip()
            if not self.env["DISPLAY"].startswith(":"):
                raise RuntimeError(self.env["DISPLAY"] or "no X display")
            bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE)
            self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
            subprocess.run(["gsettings", "set", "org.gnome.desktop.interface", "toolkit-accessibility", "true"],
                           env=self.env, check=True)
            self.start(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # Orca 43 will not start while another Orca of this user runs: one such test at a time on this
            # machine (each ends its Orca before it lets go of the lock), and none while the user runs Orca.
            self.lock = open(os.path.join(tempfile.gettempdir(), "poromea-orca-test.lock"), "w")
            fcntl.flock(self.lock, fcntl.LOCK_EX)
            signal.alarm(limit)  # the time limit counts from here: another's test may have held the lock
            if subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], capture_output=True).stdout:
                raise RuntimeError("another Orca of this user is running; Orca 43 starts no second one")
            self.start(["orca", "--disable", "braille", "--debug-file", self.log], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
            return self
        except BaseException:
            self.__exit__()
            raise

    def start(self, args, **kw):
        return subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL, start_new_session=True, **kw)

    def __exit__(self, *exc):
        # Every process of this world: those started here (the game, Orca, the window manager, the bus, the
        # display) and those the buses and Orca started on their own (the accessibility bus and its registry,
        # speech-dispatcher and its voices, dconf); then every child they leave this script to reap.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in self.ours():
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, sig)
            end = time.time() + 5
            while self.ours() and time.time() < end:
                time.sleep(0.1)
        with contextlib.suppress(ChildProcessError):
            end = time.time() + 5
            while time.time() < end:
                os.waitpid(-1, os.WNOHANG)[0] or time.sleep(0.05)
        check(not self.ours(), f"processes left running: {self.ours()}")
        unreadable = sorted({v for v in self.voiced() if KANJI.search(v)}) if os.path.exists(self.log) else []
        check(not unreadable, f"Orca said in kanji, which Debian's voice cannot read: {unreadable}")
        shutil.rmtree(self.tmp, ignore_errors=True)

    def ours(self):
        def marked(pid):
            with contextlib.suppress(OSError), open(f"/proc/{pid}/environ", "rb") as f:
                return f"POROMEA_ORCA_TEST={self.env['POROMEA_ORCA_TEST']}".encode() in f.read().split(b"\0")
        return [int(pid) for pid in filter(str.isdigit, os.listdir("/proc")) if marked(pid)]

    def hear(self, seconds=3, until=None):
        """What Orca says from now on, for `seconds` or until `until` holds of it."""
        end = time.time() + seconds
        while True:
            with open(self.log, encoding="utf-8", errors="replace") if os.path.exists(self.log) else contextlib.nullcontext([]) as f:
                said = [m.group(1) for line in f if (m := SPOKEN.search(line.rstrip("\n")))][self.read:]
            if (until and until(said)) or time.time() >= end:
                self.read += len(said)
                return said
            while GLib.MainContext.default().iteration(False):  # the accessibility bus's events meanwhile, for `described`
                pass
            time.sleep(0.1)

    def voiced(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [re.sub(r"<[^>]*>", "", m.group(1)) for line in f if (m := VOICED.search(line.rstrip("\n")))]

    def key(self, *names):
        subprocess.run(["xdotool", "key", "--delay", "80", *names], env=self.env, check=True)


def said(world, step, key, *heard_all, may=(), seconds=20):
    """Types `key` (or nothing), waits until Orca has said all of `heard_all` in any order, then falls quiet; checks
    it said nothing else but `may` and the key's own echo, which Orca may leave out or cut short as windows change."""
    if key:
        world.key(key)
    echo = {"Return": "return ", "Escape": "escape ", "Tab": "tab ", "space": "space ",
            "shift+Tab": "left shift "}.get(key, f"{key} " if key and len(key) == 1 else None)
    heard = world.hear(seconds, lambda s: all(w in s for w in heard_all))
    while more := world.hear(0.7, lambda s: s):  # until it falls silent
        heard += more
    # A step not heard leaves the game where the next step cannot follow: the test ends there.
    if not check(all(w in heard for w in heard_all) and all(h in {*heard_all, *may, echo} for h in heard),
                 f"{step}: Orca said {heard}, not all of {list(heard_all)}" + (f" (nor else but {list(may)})" if may else "")):
        raise SystemExit(1)
    return heard


def play_by_keys(world, told, congratulation, box, may=()):
    """A right game and a wrong one by keys, from START with the focus, as a blind player plays them on every host.
    `told(words)` is what Orca says of the words the game tells it, `congratulation` what it says as that window opens,
    `box` what it may say as the wrong answer's box opens, `may` what else it may say as the focus moves. Returns the
    first deal's parts, by card."""
    dealt = re.compile(told(r"1 (\S+) 2 (\S+) 3 (\S+) 4 (\S+) 5 (\S+) 6 (\S+?)").replace(".", r"\.?"))
    # The deal is told as START is pressed, card by card; it is random. Then the cards are covered.
    world.key("space")
    heard = world.hear(20, lambda s: any(map(dealt.fullmatch, s)))
    deal = dealt.fullmatch(heard[-1] if heard else "")
    if not check(heard[:1] == ["space "] and deal and sorted(deal.groups()) == sorted(PARTS), f"START: Orca said {heard}, not the deal"):
        raise SystemExit(1)
    said(world, "covering", None, told("カードを ふせました。すうじキーで とれます"), seconds=30)

    # The right answer, slot after slot: each card held by its digit key, moved down past the cards already
    # placed, dropped by Return. (Orca's own commands, such as where-am-I, are not used: on a loaded machine
    # Qt stops waiting for Orca to take them, and they reach the game.)
    card = {part: deal.groups().index(part) + 1 for part in PARTS}
    for slot, part in enumerate(PARTS):
        c, under = card[part], "あき" if slot == 0 else f"カード {card['くち']}"
        said(world, f"taking {part}", str(c), told(f"カード {c}を とりました。くち {under}"))
        for to in range(1, slot + 1):
            shown = "あき" if to == slot else f"カード {card[PARTS[to]]}"
            said(world, f"{part} to {PARTS[to]}", "Down", told(f"{PARTS[to]} {shown}"))
        said(world, f"dropping {part}", "Return", told(f"カード {c}を {PARTS[slot]}に おきました"))
    said(world, "Tab after the drops", "Tab", "OK push button.", "こたえあわせ.", may=may)
    said(world, "the right answer", "Return", *congratulation, may=may)
    # Back in the main window at its button; as the windows change, Orca may leave out the window's name or the
    # button's description.
    said(world, "Escape closes it", "Escape", "OK push button.", may=[*may, "こたえあわせ."])

    # A wrong answer: START again, then O  K at once, while the cards are face up. The box's button takes the focus
    # as it opens, and its title and words are heard. Then the covering is told, and a card held over a place with a
    # card on it hears the card's number, never the part under it.
    said(world, "back to START", "shift+Tab", "START push button.", "スタート.", may=may)
    world.key("space")
    again = world.hear(20, lambda s: any(map(dealt.fullmatch, s)))
    said(world, "Tab again", "Tab", "OK push button.", "こたえあわせ.", may=may)
    heard = " ".join(said(world, "the wrong answer", "Return", "OK push button.", may=[*may, *box]))
    check("まちがいです。" in heard and "ざんねん、スタートボタンから やりなおし。" in heard, f"the box: Orca said {heard}, not its title and its words")
    # As the page comes back, Orca may say once more what the game told last (the deal), or the covering if it came.
    covering = told("カードを ふせました。すうじキーで とれます")
    if covering not in said(world, "its OK", "Return", "OK push button.", may=[*may, "こたえあわせ.", covering, *again[-1:]]):
        said(world, "covering after the check", None, covering, seconds=30)
    said(world, "taking card 1", "1", told("カード 1を とりました。くち あき"))
    said(world, "dropping card 1", "Return", told("カード 1を くちに おきました"))
    said(world, "taking card 2 over it", "2", told("カード 2を とりました。くち カード 1"))
    said(world, "card 2 put back", "Escape", told("カード 2を もどしました"))
    return deal.groups()


def stop(signum, _frame):  # a time limit or ctest's: the world still ends
    raise SystemExit(f"stopped by signal {signum}")


def run(name, main, *args, seconds=300):
    """Runs main(*args) with a time limit for a hang (with room for a loaded machine), saying how it went."""
    global limit
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGALRM, stop)
    signal.alarm(seconds)
    limit = seconds
    start = time.time()
    try:
        main(*args)
    finally:
        print(f"{name}: {len(failures)} failed, {time.time() - start:.0f} s", flush=True)
    sys.exit(1 if failures else 0)
