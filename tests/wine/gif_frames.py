#!/usr/bin/python3
"""Reads a GIF with Pillow, a decoder independent of the program's own.

gif_frames.py FILE X,Y [X,Y ...]
Prints "size W H", "frames N", then one line per frame:
"I DELAY_MS RRGGBB RRGGBB ..." with the colour of each point in the frame as
shown (earlier frames composed underneath). Exit code 1 when the file is no
GIF Pillow can read to its end.
"""
import sys

from PIL import Image, ImageSequence


def main():
    path = sys.argv[1]
    points = [tuple(int(v) for v in p.split(",")) for p in sys.argv[2:]]
    with Image.open(path) as image:
        if image.format != "GIF":
            print(f"not a GIF: {image.format}", file=sys.stderr)
            return 1
        print("size", image.width, image.height)
        lines = []
        for index, frame in enumerate(ImageSequence.Iterator(image)):
            rgb = frame.convert("RGB")
            colours = ["%02x%02x%02x" % rgb.getpixel(p) for p in points]
            lines.append(" ".join([str(index), str(frame.info.get("duration", 0))] + colours))
        print("frames", len(lines))
        for line in lines:
            print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
