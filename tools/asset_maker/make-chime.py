#!/usr/bin/env python3
"""The splash music: a short rising chime on soft bells over a low pad, 2.6 seconds of
22,050 Hz 16-bit mono, so it is small in the program and plays on any device.

  tools/asset_maker/make-chime.py OUTPUT.wav
"""

import math
import struct
import sys
import wave

RATE = 22050
LENGTH = 2.6


def bell(t, freq):
    # A struck bell: the partial and two inharmonic overtones, each fading at its own pace.
    if t < 0:
        return 0.0
    attack = min(1.0, t / 0.004)
    return attack * (
        math.sin(2 * math.pi * freq * t) * math.exp(-t * 2.2)
        + 0.45 * math.sin(2 * math.pi * freq * 2.76 * t) * math.exp(-t * 4.5)
        + 0.2 * math.sin(2 * math.pi * freq * 5.4 * t) * math.exp(-t * 8.0)
    )


def main():
    # G major, rising: G4 B4 D5 G5, then the chord rings out.
    notes = [(0.00, 392.0), (0.18, 493.9), (0.36, 587.3), (0.54, 784.0), (0.90, 587.3), (0.90, 784.0)]
    frames = bytearray()
    total = int(RATE * LENGTH)
    for n in range(total):
        t = n / RATE
        pad = 0.12 * math.sin(2 * math.pi * 98.0 * t) * min(1.0, t / 0.5) * max(0.0, 1 - t / LENGTH)
        value = pad + sum(0.22 * bell(t - start, f) for start, f in notes)
        fade = min(1.0, (LENGTH - t) / 0.3)
        sample = max(-1.0, min(1.0, value * fade))
        frames += struct.pack("<h", int(sample * 30000))
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    main()
