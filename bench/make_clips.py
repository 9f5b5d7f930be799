#!/usr/bin/python3
"""Generated colourful clips: a plasma animation and a slow pan over a
photo-like wallpaper. usage: make_clips.py OUT_DIR FRAMES"""
import math
import os
import sys

import numpy as np
from PIL import Image


def save(folder, frames, delay):
    os.makedirs(folder, exist_ok=True)
    for i, f in enumerate(frames):
        Image.fromarray(f).save(os.path.join(folder, "%04d.bmp" % i))
    with open(os.path.join(folder, "delays.txt"), "w") as out:
        out.write("".join("%d\n" % delay for _ in frames))


def plasma(w, h, n):
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    for k in range(n):
        t = k * 0.15
        v = (np.sin(x / 37.0 + t) + np.sin(y / 23.0 - t * 1.3) +
             np.sin((x + y) / 41.0 + t * 0.7) + np.sin(np.hypot(x - w / 2, y - h / 2) / 19.0 - t))
        r = 128 + 127 * np.sin(v * math.pi / 2)
        g = 128 + 127 * np.sin(v * math.pi / 2 + 2.1)
        b = 128 + 127 * np.sin(v * math.pi / 2 + 4.2)
        yield np.dstack([r, g, b]).round().clip(0, 255).astype(np.uint8)


def wallpaper(w, h, seed=7):
    """Photo-like: smooth colour fields, soft shapes and fine grain."""
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    img = np.zeros((h, w, 3))
    sky = np.array([70, 120, 190.0])
    ground = np.array([150, 110, 60.0])
    mix = (y / h)[..., None]
    img += sky * (1 - mix) + ground * mix
    for _ in range(40):
        cx, cy = rng.uniform(0, w), rng.uniform(0, h)
        rad = rng.uniform(20, 160)
        color = rng.uniform(0, 255, 3)
        weight = np.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2 * rad * rad))[..., None]
        img = img * (1 - 0.6 * weight) + color * 0.6 * weight
    img += rng.normal(0, 3.0, img.shape)
    return img.clip(0, 255).astype(np.uint8)


def pan(big, w, h, n):
    for k in range(n):
        ox = int(k * 6)
        oy = int(20 + 10 * math.sin(k / 7.0))
        yield big[oy:oy + h, ox:ox + w].copy()


def main():
    out, n = sys.argv[1], int(sys.argv[2])
    save(os.path.join(out, "plasma"), list(plasma(480, 320, n)), 10)
    big = wallpaper(800 + 6 * n, 600)
    save(os.path.join(out, "wallpaper"), list(pan(big, 720, 480, n)), 10)


if __name__ == "__main__":
    main()
