#!/usr/bin/python3
"""Reads a recorded GIF with Pillow and tells what the recorder drew into it.

recording_marks.py FILE SAMPLE_X,SAMPLE_Y [CLICK_X,CLICK_Y,RRGGBB ...]
Prints:
  size W H
  frames N
  delays_ms TOTAL
  sample_colours C       different colours at the sample point over the frames
  arrow_last X,Y         where the arrow's tip is in the last frame (or "none")
  rings X,Y K            K frames show the two rings of that click's colour
  rings_first X,Y I      the first such frame (-1 for none)
  arrow_first X,Y I      the first frame with the arrow's tip at the click
Exit code 1 when the file is no GIF Pillow reads to its end.
"""
import sys

from PIL import Image, ImageSequence

TOLERANCE = 48


def near(a, b):
    return all(abs(x - y) <= TOLERANCE for x, y in zip(a, b))


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def pixel(frame, x, y):
    if 0 <= x < frame.width and 0 <= y < frame.height:
        return frame.getpixel((x, y))
    return None


def found_near(frame, x, y, colour, reach=3):
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            p = pixel(frame, x + dx, y + dy)
            if p is not None and near(p, colour):
                return True
    return False


# The arrow with its tip at (x, y): black down its left edge, white inside,
# its outline closing row 8 at column 8.
def arrow_at(frame, x, y):
    black, white = (0, 0, 0), (255, 255, 255)
    probes = [((x, y), black), ((x, y + 5), black), ((x, y + 12), black),
              ((x + 2, y + 8), white), ((x + 5, y + 11), white), ((x + 8, y + 8), black)]
    return all(pixel(frame, px, py) is not None and near(pixel(frame, px, py), c)
               for (px, py), c in probes)


# Two rings around (x + 1, y + 2), radii 10 and 20, where the arrow does not
# cover them: left, top and right of each.
def rings_at(frame, x, y, colour):
    cx, cy = x + 1, y + 2
    for r in (10, 20):
        for px, py in ((cx - r, cy), (cx, cy - r), (cx + r, cy)):
            if not found_near(frame, px, py, colour):
                return False
    return True


def main():
    path = sys.argv[1]
    sx, sy = (int(v) for v in sys.argv[2].split(","))
    clicks = []
    for mark in sys.argv[3:]:
        x, y, colour = mark.split(",")
        clicks.append((int(x), int(y), hex_colour(colour)))
    frames, delays = [], []
    with Image.open(path) as image:
        if image.format != "GIF":
            print(f"not a GIF: {image.format}", file=sys.stderr)
            return 1
        print("size", image.width, image.height)
        for frame in ImageSequence.Iterator(image):
            frames.append(frame.convert("RGB"))
            delays.append(int(frame.info.get("duration", 0)))
    print("frames", len(frames))
    print("delays_ms", sum(delays))
    print("sample_colours", len({f.getpixel((sx, sy)) for f in frames}))
    last = frames[-1] if frames else None
    tips = [(x, y) for x, y, _ in clicks]
    at = next((t for t in tips if last is not None and arrow_at(last, *t)), None)
    print("arrow_last", f"{at[0]},{at[1]}" if at else "none")
    for x, y, colour in clicks:
        with_rings = [i for i, f in enumerate(frames) if rings_at(f, x, y, colour)]
        with_arrow = [i for i, f in enumerate(frames) if arrow_at(f, x, y)]
        print("rings", f"{x},{y}", len(with_rings))
        print("rings_first", f"{x},{y}", with_rings[0] if with_rings else -1)
        print("arrow_first", f"{x},{y}", with_arrow[0] if with_arrow else -1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
