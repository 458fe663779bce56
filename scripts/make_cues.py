#!/usr/bin/env python3
"""Writes Ormelle's five sound cues, data/sons/19.wav to 23.wav.

The cues are compiled into the program as resources; this script is how they
were made, so that a cue can be retuned and regenerated rather than edited by
hand. Only the standard library is used, and the output is deterministic:
running it twice gives byte-identical files.

    python3 scripts/make_cues.py [output folder]

Each cue is 16-bit PCM mono at 44.1 kHz, well under half a second, with a
raised-cosine attack and release so that no cue starts or ends with a click.
"""

import math
import os
import struct
import sys
import wave

RATE = 44100
PEAK = 0.5  # about -6 dBFS: cues sit under whatever music is playing


def envelope(i, n, attack, release):
    """Raised-cosine fade in over `attack` samples and out over `release`."""
    gain = 1.0
    if i < attack:
        gain *= 0.5 - 0.5 * math.cos(math.pi * i / attack)
    left = n - 1 - i
    if left < release:
        gain *= 0.5 - 0.5 * math.cos(math.pi * max(left, 0) / release)
    return gain


def note(freq, seconds, partials, decay, attack=0.006, release=0.03):
    """One tone: harmonic or bell-like partials under an exponential decay.

    `partials` is a list of (frequency ratio, amplitude); `decay` is the time
    constant in seconds of the exponential fall (None for a held tone).
    """
    n = int(seconds * RATE)
    a, r = int(attack * RATE), int(release * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        s = sum(amp * math.sin(2 * math.pi * freq * ratio * t)
                for ratio, amp in partials)
        if decay is not None:
            s *= math.exp(-t / decay)
        out.append(s * envelope(i, n, a, r))
    return out


def glide(f0, f1, seconds, partials, attack=0.012, release=0.05):
    """A tone whose pitch moves from f0 to f1 along an eased curve."""
    n = int(seconds * RATE)
    a, r = int(attack * RATE), int(release * RATE)
    phase = 0.0
    out = []
    for i in range(n):
        x = i / (n - 1)
        ease = x * x * (3 - 2 * x)  # slow start and end: sounds like speech
        # geometric interpolation keeps the glide even to the ear
        freq = f0 * (f1 / f0) ** ease
        phase += 2 * math.pi * freq / RATE
        s = sum(amp * math.sin(ratio * phase) for ratio, amp in partials)
        out.append(s * envelope(i, n, a, r))
    return out


def mix(total_seconds, *parts):
    """Adds (start time, samples) parts into one buffer."""
    buf = [0.0] * int(total_seconds * RATE)
    for start, samples in parts:
        k = int(start * RATE)
        for i, s in enumerate(samples):
            if k + i < len(buf):
                buf[k + i] += s
    return buf


def normalise(samples):
    top = max(abs(s) for s in samples) or 1.0
    return [s * PEAK / top for s in samples]


# Timbres: a soft chime (fundamental plus a little octave and twelfth),
# a bell (slightly inharmonic partials) and a rounder held tone.
CHIME = [(1.0, 1.0), (2.0, 0.28), (3.0, 0.08)]
BELL = [(1.0, 1.0), (2.0, 0.35), (2.76, 0.18), (5.4, 0.05)]
ROUND = [(1.0, 1.0), (2.0, 0.45), (3.0, 0.22), (4.0, 0.08)]


def cue_success():
    """19: a rising major sixth, C6 then A6, the second ringing longer."""
    first = note(1046.50, 0.20, CHIME, decay=0.12)
    second = note(1760.00, 0.30, CHIME, decay=0.14)
    return mix(0.42, (0.0, first), (0.11, second))


def cue_stop():
    """20: one low, firm tone (A3 with harmonics so small speakers carry it)."""
    return mix(0.36, (0.0, note(220.0, 0.36, ROUND, decay=0.45,
                                attack=0.008, release=0.08)))


def cue_warning():
    """21: two descending notes, B5 then G5 (a major third down)."""
    first = note(987.77, 0.17, ROUND, decay=0.16)
    second = note(783.99, 0.22, ROUND, decay=0.16)
    return mix(0.40, (0.0, first), (0.17, second))


def cue_notice():
    """22: a single soft bell on A5, left to ring out."""
    return mix(0.45, (0.0, note(880.0, 0.45, BELL, decay=0.13,
                                attack=0.004, release=0.06)))


def cue_question():
    """23: a rising inflection, a short tone gliding up a fifth."""
    lead = note(523.25, 0.10, CHIME, decay=0.2, release=0.04)
    rise = glide(587.33, 880.0, 0.26, CHIME)
    return mix(0.38, (0.0, lead), (0.11, rise))


CUES = {
    19: cue_success,
    20: cue_stop,
    21: cue_warning,
    22: cue_notice,
    23: cue_question,
}


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", int(round(s * 32767)))
                      for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.normpath(os.path.join(here, os.pardir, "data", "sons"))
    folder = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(folder, exist_ok=True)
    for number, make in CUES.items():
        samples = normalise(make())
        path = os.path.join(folder, f"{number}.wav")
        write_wav(path, samples)
        print(f"{path}: {len(samples) / RATE:.3f} s")


if __name__ == "__main__":
    main()
