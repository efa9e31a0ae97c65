"""What the Orca screen reader, with its default settings, says while a player who cannot see the screen plays the page
with the keys alone in Firefox ESR or Chromium (orca_page_test.py firefox|chromium FOLDER, the page's build): a right
game and a wrong one, in a world of its own (tests/orca_world.py), the page served from 127.0.0.1 by this script. The
browser starts as a player's does the first time, in a profile of its own, with nothing asked of the player."""
import functools
import http.server
import json
import os
import re
import shutil
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from orca_world import World, check, failures, run, said  # noqa: E402

PARTS = ["くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ", "ひだりめ"]  # as the deal says them, and their places
VOICED = re.compile(r"SPEECH DISPATCHER: Speaking '(.*)' ?$")  # all the voice is given, what Orca reads of the page too
KANJI = re.compile("[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff]")  # which Debian's voice reads as "Chinese letter"
# What Orca may say besides as the focus comes into the game (the browser's window, the page's loading, the
# application and the window around the control) or as it reads the page from the focus on.
AROUND = ["Mozilla Firefox frame.", "Chromium frame.", "ポロメア — Mozilla Firefox frame.", "ポロメア - Chromium frame.", "Loading.  Please wait.", "Finished loading ポロメア.",
          "Page has 1 landmark.", "Focus mode", "ポロメア embedded.", "main content ポロメア", "leaving main content."]


def serve(folder):
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *_):
            pass
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def open_browser(world, name, url):
    profile = os.path.join(world.tmp, "profile")
    os.makedirs(os.path.join(profile, "Default"))
    log = open(os.path.join(world.tmp, "browser.log"), "w")
    if name == "firefox":
        # No first-run pages, no offer to translate a Japanese page: only the page takes the focus.
        prefs = {"browser.shell.checkDefaultBrowser": False, "browser.aboutwelcome.enabled": False,
                 "datareporting.policy.dataSubmissionPolicyBypassNotification": True,
                 "toolkit.telemetry.reportingpolicy.firstRun": False, "browser.startup.homepage_override.mstone": "ignore",
                 "startup.homepage_welcome_url": "", "browser.translations.enable": False, "browser.newtab.preload": False}
        with open(os.path.join(profile, "user.js"), "w") as f:
            f.writelines(f"user_pref({json.dumps(k)}, {json.dumps(v)});\n" for k, v in prefs.items())
        world.start(["firefox-esr", "--no-remote", "--profile", profile, url], stdout=log, stderr=log)
    else:
        with open(os.path.join(profile, "Default", "Preferences"), "w") as f:
            json.dump({"translate": {"enabled": False}}, f)
        world.start(["chromium", "--no-sandbox", f"--user-data-dir={profile}", "--no-first-run", "--no-default-browser-check",
                     "--password-store=basic", "--window-size=1024,768", url], stdout=log, stderr=log)


def voiced(world):
    with open(world.log, encoding="utf-8", errors="replace") as f:
        return [re.sub(r"<[^>]*>", "", m.group(1)) for line in f if (m := VOICED.search(line.rstrip("\n")))]


def reading_ends(world, quiet=4, seconds=60):
    """Whether Orca has read no more of the page for `quiet` s (where it reads it at all, to its end: how the game
    is played)."""
    end, last, seen = time.time() + seconds, time.time(), 0
    while time.time() < end:
        with open(world.log, encoding="utf-8", errors="replace") as f:
            reading = [line for line in f if "SAY ALL" in line]
        if len(reading) != seen:
            seen, last = len(reading), time.time()
        elif time.time() - last >= quiet and (not seen or any("おきます" in v for v in voiced(world))):
            world.hear(0)  # what was said meanwhile is the page read
            return True
        time.sleep(0.2)
    return False


def main(browser, folder):
    server = serve(folder)
    try:
        with World() as world:
            if check(world.hear(60, lambda s: "Screen reader on." in s), "Orca started"):
                play(world, browser, f"http://127.0.0.1:{server.server_address[1]}/")
                unreadable = sorted({v for v in voiced(world) if KANJI.search(v)})
                check(not unreadable, f"Orca said in kanji: {unreadable}")
            if failures and os.environ.get("POROMEA_ORCA_LOG"):  # Orca's own account, for whoever looks into it
                shutil.copy(world.log, os.environ["POROMEA_ORCA_LOG"])
    finally:
        server.shutdown()


def play(world, browser, url):
    open_browser(world, browser, url)
    # The focus comes to START in the game's application: Orca leaves reading the page by its keys. It reads the
    # page on from there as each loading ends (Chromium tells it more than once), ending with how the game is played;
    # the player listens to the end. (A key pressed while Orca reads takes Orca back to reading the page by its keys.)
    said(world, "the page opens", None, "Focus mode", "START push button.", "スタート.", may=AROUND, seconds=90)
    check(reading_ends(world), "Orca's reading of the page never ended, or not with how the game is played")

    world.key("space")
    heard = world.hear(20, lambda s: any(h.startswith("1 ") for h in s))
    deal = re.fullmatch(r"1 (\S+) 2 (\S+) 3 (\S+) 4 (\S+) 5 (\S+) 6 (\S+)", heard[-1] if heard else "")
    if not check(heard[:1] == ["space "] and deal and sorted(deal.groups()) == sorted(PARTS), f"START: Orca said {heard}, not the deal"):
        return
    said(world, "covering", None, "カードを ふせました。すうじキーで とれます", seconds=30)

    # The right answer, as on Qt: each card taken by its digit key, moved down past the cards already placed,
    # dropped by Return.
    card = {part: deal.groups().index(part) + 1 for part in PARTS}
    for slot, part in enumerate(PARTS):
        c, under = card[part], "あき" if slot == 0 else f"カード {card['くち']}"
        said(world, f"taking {part}", str(c), f"カード {c}を とりました。くち {under}")
        for to in range(1, slot + 1):
            shown = "あき" if to == slot else f"カード {card[PARTS[to]]}"
            said(world, f"{part} to {PARTS[to]}", "Down", f"{PARTS[to]} {shown}")
        said(world, f"dropping {part}", "Return", f"カード {c}を {PARTS[slot]}に おきました")
    said(world, "Tab after the drops", "Tab", "OK push button.", "こたえあわせ.", may=AROUND)
    # The banner is clickable: the desk listens to the pointer.
    said(world, "the right answer", "Return", "おめでとう !! dialog", "CONGRATULATIONS !! image clickable.", may=AROUND)
    said(world, "Escape closes it", "Escape", "OK push button.", may=AROUND + ["こたえあわせ."])

    # A wrong answer: START again, then O  K with nothing placed. The box is heard as it opens, its title and its
    # words; its OK closes it.
    said(world, "back to START", "shift+Tab", "START push button.", "スタート.")
    world.key("space")
    world.hear(30, lambda s: "カードを ふせました。すうじキーで とれます" in s)
    said(world, "Tab again", "Tab", "OK push button.", "こたえあわせ.")
    heard = said(world, "the wrong answer", "Return", "OK push button.", may=AROUND + BOX)
    check(any("まちがいです。" in h for h in heard) and any("ざんねん、スタートボタンから やりなおし。" in h for h in heard),
          f"the box: Orca said {heard}, not its title and its words")
    # The page is live again as the box closes: Orca may say the last step told once more.
    said(world, "its OK", "Return", "OK push button.", may=AROUND + ["こたえあわせ.", "カードを ふせました。すうじキーで とれます"])
    # The keys are still the game's, not Orca's, which would say there is no heading of that level.
    said(world, "a digit after the box", "1")


# What Orca may say of the box as it opens: the box as an alert, as a dialog, as the application in it, its button
# described by the box's title and words.
BOX = [f"{role}{words}{end}" for role in ["", "alert ", "dialog "] for end in ["", "."] for words in [
    "まちがいです。", "ざんねん、スタートボタンから やりなおし。", "まちがいです。 ざんねん、スタートボタンから やりなおし。",
    "まちがいです。 embedded", "form", "leaving form"]]


if __name__ == "__main__":
    run(f"orca in {sys.argv[1]}", main, sys.argv[1], sys.argv[2], seconds=420)
