"""What a screen reader learns of a game played with the keys alone, read over
the accessibility bus (run by screen_reader.sh, with the game already started).

At every step every card and slot must be an image that names itself and says
what it shows; while a card is held, each slot the outline moves to must be
announced; the congratulation window and the message box must announce
themselves as they open."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PARTS = ["口", "鼻", "右耳", "左耳", "右目（ほくろ）", "左目"]
SLOTS = ["口の場所", "鼻の場所", "右耳の場所", "左耳の場所", "右目の場所", "左目の場所"]
CARDS = [f"カード {i}" for i in range(1, 7)]
COVERS = [f"カード {i} の裏" for i in range(1, 7)]

failures = []
events = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(condition, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        pump(0.05)
        result = condition()
        if result:
            return result
    check(False, "timed out waiting for " + what)
    return None


def frames():
    found = {}
    for app in pyatspi.Registry.getDesktop(0):
        for child in app or []:
            if child is not None and child.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW,
                                                         pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
                found[child.name] = child
    return found


def images(frame):
    """name -> (role, description) of every image in the window."""
    out = {}
    def walk(node):
        for child in node:
            if child is None:
                continue
            if child.name in CARDS + SLOTS:
                out[child.name] = (child.getRole(), child.description)
            walk(child)
    walk(frame)
    return out


def described(frame, names):
    shown = images(frame)
    return [shown.get(n, (None, None))[1] for n in names]


def expect_step(frame, step, cards, slots):
    shown = images(frame)
    for name in CARDS + SLOTS:
        role = shown.get(name, (None,))[0]
        check(role == pyatspi.ROLE_IMAGE, f"{step}: {name} is an image, not {role}")
    if cards is not None:
        check(described(frame, CARDS) == cards, f"{step}: cards say {described(frame, CARDS)}, expected {cards}")
    check(described(frame, SLOTS) == slots, f"{step}: slots say {described(frame, SLOTS)}, expected {slots}")


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        pump(0.15)


def on_event(event):
    try:
        source = event.source
        events.append((event.type, source.name, source.description, source.getRole(), event.detail1))
    except Exception:  # the object may be gone already
        pass


def announced(kind, name):
    return [e for e in events if e[0].startswith(kind) and e[1] == name]


def main():
    pyatspi.Registry.registerEventListener(
        on_event, "object:state-changed:focused", "object:property-change:accessible-description",
        "window:activate", "window:create", "object:state-changed:showing")
    form1 = wait_for(lambda: frames().get("ポロメア"), 30, "the main window on the accessibility bus")
    if not form1:
        return
    subprocess.run(["xdotool", "search", "--sync", "--name", "^ポロメア$", "windowfocus", "--sync"], check=True)
    expect_step(form1, "before START", COVERS, ["空き"] * 6)

    key("space")  # START has the focus
    dealt = wait_for(lambda: sorted(described(form1, CARDS)) == sorted(PARTS) and described(form1, CARDS),
                     5, "the cards dealt face up")
    if not dealt:
        return
    expect_step(form1, "face up", dealt, ["空き"] * 6)
    changed = {e[1] for e in events if e[0] == "object:property-change:accessible-description"}
    check(set(CARDS) <= changed, f"every card announced its new picture, only {sorted(changed)} did")
    wait_for(lambda: described(form1, CARDS) == COVERS, 8, "the covers")
    expect_step(form1, "covered", COVERS, ["空き"] * 6)

    # The mouth's card, held by the keyboard: the outline starts on the mouth's
    # slot and each slot it moves to is announced with what it shows.
    card_of = {part: dealt.index(part) for part in PARTS}
    events.clear()
    key(str(card_of["口"] + 1), "Right", "Left")
    focused = [e[1] for e in events if e[0] == "object:state-changed:focused" and e[4] == 1]
    check(focused == ["口の場所", "鼻の場所", "口の場所"], f"announced while held: {focused}")

    check(all(e[2] == "空き" for e in events if e[0] == "object:state-changed:focused" and e[1] in SLOTS),
          "each announced slot says what it shows")
    key("Return")
    for part, slot in zip(PARTS[1:], range(1, 6)):
        key(f"KP_{card_of[part] + 1}", *["Down"] * slot, "space")
    expect_step(form1, "placed", None, [COVERS[card_of[p]] for p in PARTS])

    events.clear()
    key("Tab", "Return")  # O  K
    expect_step(form1, "checked", COVERS, PARTS)

    form2 = wait_for(lambda: frames().get("おめでとう !!"), 5, "the congratulation window")
    check(bool(wait_for(lambda: announced("window:activate", "おめでとう !!"), 5, "the congratulation window announced")),
          "the congratulation window is announced as it opens")
    if form2:
        banner = [c.name for c in form2]
        check(banner == ["CONGRATULATIONS !!"] or any("CONGRATULATIONS" in (n or "") for n in banner),
              f"the congratulation window shows {banner}")

    # A wrong answer: the message box announces itself with its text.
    subprocess.run(["xdotool", "search", "--sync", "--name", "^ポロメア$", "windowfocus", "--sync"], check=True)
    events.clear()
    key("shift+Tab", "Return", "Tab", "Return")  # START, then O  K with nothing placed
    box = wait_for(lambda: frames().get("まちがいです。"), 5, "the message box")
    check(bool(wait_for(lambda: announced("window:activate", "まちがいです。"),
                        5, "the message box announced")), "the message box is announced as it opens")
    if box:
        texts = []
        def walk(node):
            for child in node:
                if child is not None:
                    texts.append(child.name)
                    walk(child)
        walk(box)
        check(any("残念、スタートボタンからやりなおし。" in (t or "") for t in texts), f"the message box says {texts}")
        key("Return")


if __name__ == "__main__":
    main()
    print(f"screen reader: {0 if failures else 1} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)
