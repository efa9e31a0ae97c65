#!/usr/bin/python3
"""Measures, in screenshots from `make screenshot-win32`, where the controls
landed on the screen: the main window's client area (the yellow), Image1,
Image2, three slots, two cards and both buttons (client-relative), and the
congratulation window's client area (the banner's visible part).

Usage: measure_screenshot.py SCREENSHOT_DIR
"""
import sys

from PIL import Image

YELLOW = (255, 255, 0)
EMPTY_SLOT = (0xD0, 0xFF, 0xA0)


def region(px, size, start, inside):
    """Bounding box (left, top, width, height) of the 4-connected pixels that satisfy `inside`."""
    width, height = size
    seen, stack = {start}, [start]
    while stack:
        x, y = stack.pop()
        for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if n not in seen and 0 <= n[0] < width and 0 <= n[1] < height and inside(px[n]):
                seen.add(n)
                stack.append(n)
    xs = [p[0] for p in seen]
    ys = [p[1] for p in seen]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def main_window(path):
    im = Image.open(path).convert("RGB")
    px = im.load()
    yellow = [(x, y) for y in range(im.height) for x in range(im.width) if px[x, y] == YELLOW]
    left, top = min(x for x, _ in yellow), min(y for _, y in yellow)
    right, bottom = max(x for x, _ in yellow), max(y for _, y in yellow)
    print(f"Form1 client area at screen {left},{top}, {right - left + 1} x {bottom - top + 1}")

    def measure(name, x, y, inside):
        l, t, w, h = region(px, im.size, (left + x, top + y), inside)
        print(f"  {name:<9} {l - left},{t - top} {w}x{h}")

    not_yellow = lambda c: c != YELLOW
    slot = lambda c: c == EMPTY_SLOT or max(c) < 60  # the empty-slot picture: pale green and its black "?"
    measure("Image1", 17, 17, not_yellow)
    measure("Image2", 353, 17, not_yellow)
    measure("Image10", 473, 225, slot)
    measure("Image13", 585, 137, slot)
    measure("Image14", 441, 105, slot)
    measure("Imgx(0)", 130, 370, not_yellow)
    measure("Imgx(5)", 490, 370, not_yellow)
    measure("Command1", 18, 370, not_yellow)
    measure("Command2", 562, 370, not_yellow)


def congratulation(path):
    im = Image.open(path).convert("RGB")
    px = im.load()
    # The banner's first row is pure red; its top left pixel is the client area's.
    red = lambda c: c[0] > 240 and c[1] < 20 and c[2] < 20
    left, top = next((x, y) for y in range(im.height) for x in range(im.width) if red(px[x, y]))
    right = left
    while red(px[right + 1, top]):
        right += 1
    frame = px[left - 1, top + 10]  # the frame's colour just left of the picture
    bottom = top
    while px[left + 4, bottom + 1] != frame:
        bottom += 1
    print(f"Form2 client area at screen {left},{top}, {right - left + 1} x {bottom - top + 1}")


if __name__ == "__main__":
    directory = sys.argv[1] if len(sys.argv) > 1 else "build-win32/screenshots"
    main_window(f"{directory}/main.png")
    congratulation(f"{directory}/correct.png")
