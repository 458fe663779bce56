#!/usr/bin/env python3
"""Writes the worst file of each kind Ormelle reads into a folder, for the budget figures.

bench/bombes.py FOLDER

- jpeg_octet.jpg: a progressive JPEG declaring 20000 x 20000, a stray byte before a marker;
- jpeg_commentaires.jpg: the same with 4,100 empty comment segments before its frame;
- midi_dense.mid: five million notes at time 0;
- midi_plafond.mid: twenty million events (note on/off pairs one tick apart);
- midi_tempo.mid: the slowest tempo and the longest deltas (a length of centuries);
- commentaires/Vacances.txt: one comment of 500 MB for /tmp/Vacances/IMG.JPG;
- reglages_virgules/Ormelle/Ormelle.ini: a 100 MB value made of commas;
- reglages_dossier/Ormelle/Ormelle.ini: a start folder 1 MB long.
The JPEGs need ImageMagick's `convert`.
"""
import os
import struct
import subprocess
import sys


def segments(jpeg):
    """Splits a JPEG up to its first scan: [(marker, payload)], rest."""
    i, out = 2, []
    while True:
        marker = jpeg[i + 1]
        length = struct.unpack(">H", jpeg[i + 2:i + 4])[0]
        out.append((marker, jpeg[i + 4:i + 2 + length]))
        i += 2 + length
        if marker == 0xDA:
            return out, jpeg[i:]


def jpeg_bombs(folder):
    small = os.path.join(folder, "petit.jpg")
    subprocess.run(["convert", "-size", "16x16", "gradient:red-blue", "-interlace", "JPEG",
                    "-quality", "90", small], check=True)
    with open(small, "rb") as f:
        data = f.read()
    os.remove(small)
    segs, rest = segments(data)

    def build(prefix_extra, stray):
        out = bytearray(b"\xff\xd8")
        for n, (marker, payload) in enumerate(segs):
            if marker == 0xC2:
                payload = payload[:1] + struct.pack(">HH", 20000, 20000) + payload[5:]
                out += prefix_extra
            if stray and n == 1:
                out += b"\x00"
            out += bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload
        return bytes(out + rest)

    with open(os.path.join(folder, "jpeg_octet.jpg"), "wb") as f:
        f.write(build(b"", True))
    with open(os.path.join(folder, "jpeg_commentaires.jpg"), "wb") as f:
        f.write(build(b"\xff\xfe\x00\x02" * 4100, False))


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def midi(path, track, division=96):
    track += b"\x00\xff\x2f\x00"
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, division))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + track)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    jpeg_bombs(folder)
    midi(os.path.join(folder, "midi_dense.mid"), b"\x00\x90\x3c\x40" + b"\x00\x3c\x40" * 5_000_000)
    midi(os.path.join(folder, "midi_plafond.mid"),
         b"\x00\x90\x3c\x40" + (b"\x01\x3c\x00\x00\x3c\x40") * 10_000_000)
    slow = b"\x00\xff\x51\x03\xff\xff\xff" + (vlq(0x0FFFFFFF) + b"\x90\x3c\x40") * 64
    midi(os.path.join(folder, "midi_tempo.mid"), slow, division=1)
    os.makedirs(os.path.join(folder, "commentaires"), exist_ok=True)
    with open(os.path.join(folder, "commentaires", "Vacances.txt"), "wb") as f:
        f.write(b"/tmp/Vacances/IMG.JPG/")
        bloc = b"Un tres long commentaire. " * 40000
        for _ in range(500_000_000 // len(bloc)):
            f.write(bloc)
        f.write(b"\n")
    for name, text in (("reglages_virgules", b"[Commentaire]\n1=" + b"," * 100_000_000),
                       ("reglages_dossier", b"[Dossier%20ouvert%20au%20d%E9marrage]\nNom%20du%20dossier=/" + b"a/" * 500_000)):
        os.makedirs(os.path.join(folder, name, "Ormelle"), exist_ok=True)
        with open(os.path.join(folder, name, "Ormelle", "Ormelle.ini"), "wb") as f:
            # No tip or warning ahead of the start folder.
            f.write(b"[Conseils%20du%20jour]\nConseil%20au%20d%E9marrage=Non\n"
                    b"[Avertissement]\nAffichage=Non\n" + text + b"\n")


if __name__ == "__main__":
    main()
