"""What the cards and slots tell a screen reader that looks at them, read over
the accessibility bus while a game is played with the keys alone: the game
started on a private X display (its own Xvfb) and session bus (as ctest runs
it), its keys typed through XTEST. (What Orca says as the game goes is orca_test.py's.)

    dbus-run-session -- screen_reader.py GAME

At every step every card and slot must be an image that names itself and says
what it shows, and a card that changes its picture says so."""
import contextlib
import os
import signal
import subprocess
import sys
import time

import private_display

from gi.repository import GLib

PARTS = ["くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ（ほくろ）", "ひだりめ"]
SLOTS = ["くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ", "ひだりめ"]
CARDS = [f"カード {i}" for i in range(1, 7)]
COVERS = [f"カード {i} の うら" for i in range(1, 7)]
failures, events = [], []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)


def pump(seconds):  # lets the bus deliver its events
    end = time.time() + seconds
    while time.time() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.01)


def wait_for(condition, seconds, what):  # what: what was awaited, or a function that says what was seen instead
    end = time.time() + seconds
    while not (result := condition()) and time.time() < end:
        pump(0.05)
    check(result, what if isinstance(what, str) else what())
    return result


def descendants(node):
    for child in node or []:
        if child is not None:
            yield child
            yield from descendants(child)


def window(title):
    return next((w for app in pyatspi.Registry.getDesktop(0) for w in app or [] if w and w.name == title), None)


def described(frame, names):
    found = {n.name: n for n in descendants(frame) if n.name in names}
    return [found[n].description if n in found and found[n].getRole() == pyatspi.ROLE_IMAGE else None
            for n in names]


def expect(frame, step, cards, slots):  # given a few seconds to get there
    said = lambda: (described(frame, CARDS), described(frame, SLOTS))
    wait_for(lambda: said() == (cards, slots), 20, lambda: f"{step}: the cards and slots say {said()}, not {(cards, slots)}")


def key(*names):  # typed one after another, the bus pumped meanwhile
    typing = subprocess.Popen(["xdotool", "key", "--clearmodifiers", "--delay", "60", *names])
    while typing.poll() is None:
        pump(0.02)
    pump(0.2)


def focus_main_window():
    subprocess.run(["xdotool", "search", "--sync", "--name", "^ポロメア$", "windowfocus", "--sync"], check=True)


def on_event(event):
    with contextlib.suppress(Exception):  # the object may be gone already
        events.append((event.type, event.source.name))


def main():
    pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-description")
    form1 = wait_for(lambda: window("ポロメア"), 60, "the main window shown on the accessibility bus")
    if not form1:
        return
    focus_main_window()
    pump(1)  # the game learns who listens
    expect(form1, "before START", COVERS, ["あき"] * 6)

    key("space")  # START has the focus
    dealt = wait_for(lambda: sorted(described(form1, CARDS)) == sorted(PARTS) and described(form1, CARDS), 20, "a deal")
    if not dealt:
        return
    changed = {e[1] for e in events if e[0] == "object:property-change:accessible-description"}
    check(set(CARDS) <= changed, f"every card announced its new picture, only {sorted(changed)} did")
    wait_for(lambda: described(form1, CARDS) == COVERS, 30, "the covers")

    card = {part: dealt.index(part) + 1 for part in PARTS}
    for slot, part in enumerate(PARTS):
        key(str(card[part]), *["Down"] * slot, "Return")
    expect(form1, "placed", COVERS, [COVERS[card[p] - 1] for p in PARTS])

    key("Tab", "Return")  # O  K
    expect(form1, "checked", COVERS, PARTS)


if __name__ == "__main__":
    os.environ["DISPLAY"], xvfb = private_display.claim()
    import pyatspi  # once the display is known
    # The accessibility bus and the registry it starts would outlive the
    # session: a process group of their own ends with them all.
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    time.sleep(1)
    game = subprocess.Popen(sys.argv[1:], env=dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    try:
        main()
    finally:
        game.kill()
        game.wait()
        os.killpg(bus.pid, signal.SIGTERM)
        bus.wait()
        xvfb.terminate()
        xvfb.wait()
    print(f"screen reader: {0 if failures else 1} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)
