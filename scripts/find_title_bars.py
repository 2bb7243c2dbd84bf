#!/usr/bin/env python3
"""Finds the title bars Qt draws itself under Wayland in a screenshot (binary PPM on
standard input) and prints "LEFT RIGHT TOP" for each, topmost first. A title bar is a
run of the bar's light grey that starts a new band, with the dark strokes of the
Maximise and Close buttons where Qt puts them, 39 and 17 points from its right end."""
import sys

GREY = b"\xef\xef\xef"
data = sys.stdin.buffer.read()
header, rest = data.split(b"\n", 1)
size, rest = rest.split(b"\n", 1)
_, pixels = rest.split(b"\n", 1)
width, height = map(int, size.split())
stride = width * 3


def runs(y, shortest=100):
    line = pixels[y * stride:(y + 1) * stride]
    found, i = [], line.find(GREY * shortest)
    while i >= 0:
        if i % 3:
            i = line.find(GREY * shortest, i + 1)
            continue
        j = i
        while line[j:j + 3] == GREY:
            j += 3
        found.append((i // 3, j // 3 - 1))
        i = line.find(GREY * shortest, j)
    return found


def dark_near(x, y, reach=6):
    for yy in range(max(0, y - reach), min(height, y + reach + 1)):
        for xx in range(max(0, x - reach), min(width, x + reach + 1)):
            p = (yy * width + xx) * 3
            if max(pixels[p:p + 3]) < 200:
                return True
    return False


def grey_share(y, left, right):
    line = pixels[y * stride + left * 3:y * stride + (right + 1) * 3]
    return sum(line[i:i + 3] == GREY for i in range(0, len(line), 3)) / (right - left + 1)


bars, above = [], []
for y in range(height - 20):
    here = runs(y)
    for left, right in here:
        if any(a <= left <= b or left <= a <= right for a, b in above):
            continue
        # The full width a few rows down, past the rounded corners.
        full = [r for r in runs(y + 5) if r[0] <= left + 10 <= r[1]]
        if not full:
            continue
        left, right = full[0]
        # Above a title bar lies something else, not more of a window's grey.
        if y > 0 and grey_share(y - 1, left, right) > 0.2:
            continue
        # A bar is some 30 rows high, grey at both ends.
        if y + 28 >= height or not all(
                pixels[((y + d) * width + x) * 3:((y + d) * width + x) * 3 + 3] == GREY
                for d in range(3, 28) for x in (left + 2, right - 2)):
            continue
        if dark_near(right - 39, y + 15) and dark_near(right - 17, y + 15):
            if not any(abs(t - y) < 40 and not (right < l or left > r) for l, r, t in bars):
                bars.append((left, right, y))
    above = here
for left, right, top in bars:
    print(left, right, top)
