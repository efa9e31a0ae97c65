"""What the Orca screen reader, with its default settings, says while a player who cannot see the screen plays the page
with the keys alone in Firefox ESR or Chromium (orca_page_test.py firefox|chromium FOLDER, the page's build): the
games every host is heard through, in a world of its own (tests/orca_world.py), the page served from 127.0.0.1 by this
script. The browser starts as a player's does the first time, in a profile of its own, with nothing asked of the player."""
import functools
import http.server
import json
import os
import shutil
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from orca_world import World, check, play_by_keys, run, said  # noqa: E402

# What Orca may say besides as the focus comes into the game or moves in it (the browser's window, the page's
# loading, the application and the window around the control, Orca's own mode) or as it reads the page.
AROUND = ["Mozilla Firefox frame.", "Chromium frame.", "Untitled - Chromium frame.", "ポロメア — Mozilla Firefox frame.", "ポロメア - Chromium frame.", "Loading.  Please wait.",
          "Finished loading ポロメア.", "Page has 1 landmark.", "Focus mode", "ポロメア embedded.", "main content ポロメア", "leaving main content."]
# What Orca may say of the box as it opens: the box as an alert, as a dialog, as the application in it, its button
# described by the box's title and words.
BOX = [f"{role}{words}{end}" for role in ["", "alert ", "dialog "] for end in ["", "."] for words in [
    "まちがいです。", "ざんねん、スタートボタンから やりなおし。", "まちがいです。 ざんねん、スタートボタンから やりなおし。",
    "まちがいです。 embedded", "form", "leaving form"]]


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


def reading_ends(world, quiet=4, seconds=60):
    """Whether Orca has read no more of the page for `quiet` s, where it reads it at all: to its end, how the game is
    played. (A key pressed while Orca reads takes Orca back to reading the page by its keys.)"""
    end, last, seen = time.time() + seconds, time.time(), 0
    while time.time() < end:
        with open(world.log, encoding="utf-8", errors="replace") as f:
            reading = sum("SAY ALL" in line for line in f)
        if reading != seen:
            seen, last = reading, time.time()
        elif time.time() - last >= quiet and (not seen or any("おきます" in v for v in world.voiced())):
            world.hear(0)  # what was said meanwhile is the page read
            return True
        time.sleep(0.2)
    return False


def main(browser, folder):
    quiet = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *_: None})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        with World() as world:
            try:
                if not check(world.hear(60, lambda s: "Screen reader on." in s), "Orca started"):
                    return
                # Time enough to press O  K before the cards are covered.
                open_browser(world, browser, f"http://127.0.0.1:{server.server_address[1]}/?memorise=12")
                # The focus comes to START, in the toolbar of the game's application: Orca passes the keys to the game.
                said(world, "the page opens", None, "Focus mode", "START push button.", "スタート.", may=AROUND, seconds=90)
                check(reading_ends(world), "Orca's reading of the page never ended, or not with how the game is played")
                play_by_keys(world, str, ["おめでとう !! dialog", "CONGRATULATIONS !! image clickable."], BOX, may=AROUND)
                # The page read as a player reads it in Orca's browse mode, from its top: each label as it sounds (what
                # Orca says in kanji fails the world), then how the game is played.
                said(world, "browse mode", "Insert+a", "Browse mode")
                world.key("ctrl+Home", "KP_Add")
                read = ["しっかり みて、しっかり おぼえて", "(ヒント\u3000みぎめに ほくろが あるよ。)",
                        "スタートの あと、すうじキーで カードを とり、やじるしキーで うごかし、リターンキーで おきます。"]
                end = time.time() + 30
                while read[-1] not in world.voiced() and time.time() < end:
                    time.sleep(0.2)
                check(all(r in world.voiced() for r in read), f"the page read: Orca said {world.voiced()[-30:]}")
            finally:
                if os.environ.get("POROMEA_ORCA_LOG"):  # Orca's own account, for whoever looks into it
                    shutil.copy(world.log, os.environ["POROMEA_ORCA_LOG"])
    finally:
        server.shutdown()


if __name__ == "__main__":
    run(f"orca in {sys.argv[1]}", main, sys.argv[1], sys.argv[2], seconds=420)
