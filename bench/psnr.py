#!/usr/bin/python3
"""Mean PSNR of a GIF's composed frames against the source bitmaps.

usage: psnr.py OUT.gif SOURCE_DIR
Each source frame is compared with the GIF frame on screen at the source
frame's start time (the GIF's frame durations against delays.txt), so tools
that merge or split frames are measured alike. A frame identical to its
source counts as 99 dB. Prints: psnr_mean psnr_min frames_compared
"""
import glob
import math
import os
import sys

import numpy as np
from PIL import Image, ImageSequence


def main():
    gif_path, source_dir = sys.argv[1], sys.argv[2]
    sources = sorted(glob.glob(os.path.join(source_dir, "*.bmp")))
    with open(os.path.join(source_dir, "delays.txt")) as f:
        delays = [int(line) for line in f if line.strip()]
    starts, t = [], 0
    for i in range(len(sources)):
        starts.append(t)
        t += 10 * (delays[i] if i < len(delays) else 10)

    gif = Image.open(gif_path)
    frames, times, t = [], [], 0
    for frame in ImageSequence.Iterator(gif):
        frames.append(np.asarray(frame.convert("RGB"), dtype=np.int32))
        times.append(t)
        t += frame.info.get("duration", 0)

    values = []
    j = 0
    for i, path in enumerate(sources):
        while j + 1 < len(frames) and times[j + 1] <= starts[i]:
            j += 1
        src = np.asarray(Image.open(path).convert("RGB"), dtype=np.int32)
        got = frames[j]
        if got.shape != src.shape:
            values.append(0.0)
            continue
        mse = float(np.mean((src - got) ** 2))
        values.append(99.0 if mse == 0 else min(99.0, 10 * math.log10(255 * 255 / mse)))
    print("%.2f %.2f %d" % (sum(values) / len(values), min(values), len(values)))


if __name__ == "__main__":
    main()
