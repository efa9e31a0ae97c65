"""What the Orca screen reader says while a player who cannot see the screen plays a right and a wrong game
with the keys alone (orca_test.py GAME), in a world of its own (tests/orca_world.py)."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from orca_world import World, check, run, said  # noqa: E402

PARTS = ["くち", "はな", "みぎみみ", "ひだりみみ", "みぎめ", "ひだりめ"]  # as the deal says them, and their places


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

        # The deal is told as START is pressed, card by card; it is random. Then the cards are covered (the memorising
        # time is measured by the scenarios). Orca ends a sentence with a full stop unless it ends with a bracket.
        world.key("space")
        heard = world.hear(20, lambda s: any(h.startswith("notification ") for h in s))
        deal = re.fullmatch(r"notification 1 (\S+) 2 (\S+) 3 (\S+) 4 (\S+) 5 (\S+) 6 (\S+?)\.?", heard[-1] if heard else "")
        if not check(heard[:1] == ["space "] and deal and sorted(deal.groups()) == sorted(PARTS), f"START: Orca said {heard}, not the deal"):
            return
        said(world, "covering", None, "notification カードを ふせました。すうじキーで とれます.", seconds=30)
        cards = [f"カード {i}" for i in range(1, 7)]
        check(sorted(set(described)) == sorted([(c, {"みぎめ": "みぎめ（ほくろ）"}.get(p, p)) for c, p in zip(cards, deal.groups())] +
                                               [(c, f"{c} の うら") for c in cards]),
              f"the cards told a screen reader {described}")

        # The right answer, slot after slot: each card held by its digit key, moved down past the cards already
        # placed, dropped by Return. (Orca's own commands, such as where-am-I, are not used: on a loaded machine
        # Qt stops waiting for Orca to take them, and they reach the game.)
        card = {part: deal.groups().index(part) + 1 for part in PARTS}
        for slot, part in enumerate(PARTS):
            c, under = card[part], "あき" if slot == 0 else f"カード {card['くち']}"
            said(world, f"taking {part}", str(c), f"notification カード {c}を とりました。くち {under}.")
            for to in range(1, slot + 1):
                shown = "あき" if to == slot else f"カード {card[PARTS[to]]}"
                said(world, f"{part} to {PARTS[to]}", "Down", f"notification {PARTS[to]} {shown}.")
            said(world, f"dropping {part}", "Return", f"notification カード {c}を {PARTS[slot]}に おきました.")
        said(world, "Tab after the drops", "Tab", "OK push button.", "こたえあわせ.")
        said(world, "the right answer", "Return", "おめでとう !! frame.", "CONGRATULATIONS !! image.")
        # Back in the main window at its button; as the windows change, Orca
        # may leave out the window's name or the button's description.
        said(world, "Escape closes it", "Escape", "OK push button.", may=["ポロメア frame.", "こたえあわせ."])

        # A wrong answer: START again, then O  K at once, while the cards are face up. The box's button takes the
        # focus as it opens. Then the covering is told, and a card held over a place with a card on it hears the
        # card's number, never the part under it.
        said(world, "back to START", "shift+Tab", "START push button.", "スタート.")
        world.key("space")
        world.hear(20, lambda s: any(h.startswith("notification 1 ") for h in s))
        said(world, "Tab again", "Tab", "OK push button.", "こたえあわせ.")
        said(world, "the wrong answer", "Return", "alert まちがいです。", "ざんねん、スタートボタンから やりなおし。",
             may=["OK push button."])
        said(world, "its OK", "Return", "OK push button.", may=["ポロメア frame.", "こたえあわせ."])
        said(world, "covering after the check", None, "notification カードを ふせました。すうじキーで とれます.", seconds=30)
        said(world, "taking card 1", "1", "notification カード 1を とりました。くち あき.")
        said(world, "dropping card 1", "Return", "notification カード 1を くちに おきました.")
        said(world, "taking card 2 over it", "2", "notification カード 2を とりました。くち カード 1.")
        said(world, "card 2 put back", "Escape", "notification カード 2を もどしました.")

        # On a French keyboard the main row gives &é"'(- unshifted, its digits shifted: its keys still take the
        # cards 1 to 6 by their place, in a new deal. (Orca echoes each key by its own name.)
        said(world, "START once more", "shift+Tab", "START push button.", "スタート.")
        world.key("space")
        world.hear(30, lambda s: "notification カードを ふせました。すうじキーで とれます." in s)
        subprocess.run(["setxkbmap", "-layout", "fr"], env=world.env, check=True)
        row = {"ampersand": "and ", "eacute": "e acute ", "quotedbl": "quote ", "apostrophe": "apostrophe ",
               "parenleft": "left paren ", "minus": "dash "}
        for c, (key, echo) in enumerate(row.items(), 1):
            said(world, f"the French row's key {c}", key, f"notification カード {c}を とりました。くち あき.", may=[echo])
            said(world, f"card {c} put back", "Escape", f"notification カード {c}を もどしました.")


if __name__ == "__main__":
    run("orca", main, sys.argv[1])
