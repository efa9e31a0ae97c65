"""What the Orca screen reader says while a player who cannot see the screen plays a right and a wrong game
with the keys alone (orca_test.py GAME), in a world of its own (tests/orca_world.py)."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from orca_world import World, check, play_by_keys, run, said  # noqa: E402


def told(words):  # what the game tells a screen reader is a notification; Orca ends it with a full stop
    return f"notification {words}."


def main(game):
    with World() as world:
        if not check(world.hear(60, lambda s: "Screen reader on." in s), "Orca started"):
            return
        world.start([game, "--memorise=12"])  # time enough to press O  K before the cards are covered
        # What a screen reader that watches the cards hears of them: each tells its new picture as it changes.
        os.environ.update(DISPLAY=world.env["DISPLAY"], DBUS_SESSION_BUS_ADDRESS=world.env["DBUS_SESSION_BUS_ADDRESS"])
        import pyatspi
        described = []
        pyatspi.Registry.registerEventListener(lambda e: described.append((e.source.name, e.source.description)),
                                               "object:property-change:accessible-description")
        said(world, "the main window opens", None, "ポロメア frame.", "START push button.", "スタート.", seconds=60)
        deal = play_by_keys(world, told, ["おめでとう !! frame.", "CONGRATULATIONS !! image."],
                            ["alert まちがいです。", "ざんねん、スタートボタンから やりなおし。"], may=["ポロメア frame."])
        # Every card told its picture as it changed: the part the first deal said it had, then its back.
        cards = [f"カード {i}" for i in range(1, 7)]
        check({(c, {"みぎめ": "みぎめ（ほくろ）"}.get(p, p)) for c, p in zip(cards, deal)} | {(c, f"{c} の うら") for c in cards}
              <= set(described), f"the cards told a screen reader {sorted(set(described))}")

        # On a French keyboard the main row gives &é"'(- unshifted, its digits shifted: its keys still take the
        # cards 1 to 6 by their place, in a new deal. (Orca echoes each key by its own name.)
        said(world, "START once more", "shift+Tab", "START push button.", "スタート.")
        world.key("space")
        world.hear(30, lambda s: told("カードを ふせました。すうじキーで とれます") in s)
        subprocess.run(["setxkbmap", "-layout", "fr"], env=world.env, check=True)
        row = {"ampersand": "and ", "eacute": "e acute ", "quotedbl": "quote ", "apostrophe": "apostrophe ",
               "parenleft": "left paren ", "minus": "dash "}
        for c, (key, echo) in enumerate(row.items(), 1):
            said(world, f"the French row's key {c}", key, told(f"カード {c}を とりました。くち あき"), may=[echo])
            said(world, f"card {c} put back", "Escape", told(f"カード {c}を もどしました"))


if __name__ == "__main__":
    run("orca", main, sys.argv[1])
