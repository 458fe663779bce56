#!/usr/bin/env python3
"""Side-by-side figures of ormelle-bench and the reference tools.

Every command of a case runs in turn, round after round, so that a noisy machine
slows them all alike; medians are printed. Wall time covers the whole process
(start-up included) for every tool; the time ormelle-bench reports for its own
work is shown beside it. CPU time (user + system, every thread, from GNU time) is
shown beside the wall time: it holds when other work shares the machine. Peak
memory is the child's maximum resident set size, from GNU time.

Usage: bench/compare.py [--bench PATH] [--data FOLDER] [--runs N] [--only WORD]...
(--only: the cases whose title holds one of the words, e.g. --only folder --only thumbnail)
"""
import argparse
import os
import re
import statistics
import subprocess
import tempfile
import time


TIME = "/usr/bin/time"  # Debian package "time"; a child spawned by Python would
MEMOIRE = os.path.join(tempfile.gettempdir(), "ormelle-bench-maxrss.txt")  # inherit Python's own peak in ru_maxrss


def run(cmd):
    mesure = [TIME, "-f", "%M %U %S", "-o", MEMOIRE] if os.path.exists(TIME) else []
    debut = time.perf_counter()
    proc = subprocess.run(mesure + cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    duree = time.perf_counter() - debut
    sortie = proc.stdout.decode(errors="replace")
    if proc.returncode != 0:
        raise SystemExit(f"failed ({proc.returncode}): {' '.join(cmd)}\n{sortie}")
    champs = open(MEMOIRE).read().split()[-3:] if mesure else ["nan"] * 3
    memoire = float(champs[0]) / 1024
    cpu = (float(champs[1]) + float(champs[2])) * 1000
    interne = re.search(r"temps ([0-9.]+) ms", sortie)
    return duree * 1000, memoire, float(interne.group(1)) if interne else None, cpu


SEULEMENT = []


def case(titre, commandes, runs):
    if SEULEMENT and not any(mot in titre for mot in SEULEMENT):
        return None
    mesures = {nom: [] for nom in commandes}
    for _ in range(runs):
        for nom, cmd in commandes.items():
            mesures[nom].append(run(cmd))
    print(f"\n## {titre} ({runs} runs, medians)\n")
    print("| tool | wall ms | CPU ms | own work ms | peak MiB |")
    print("|---|---|---|---|---|")
    medianes = {}
    for nom, m in mesures.items():
        mur = statistics.median(x[0] for x in m)
        mem = statistics.median(x[1] for x in m)
        internes = [x[2] for x in m if x[2] is not None]
        interne = f"{statistics.median(internes):.1f}" if internes else "-"
        cpu = statistics.median(x[3] for x in m)
        medianes[nom] = (mur, cpu)
        print(f"| {nom} | {mur:.1f} | {cpu:.0f} | {interne} | {mem:.1f} |")
    return medianes


def ratio(medianes, a, b):
    if medianes is None:
        return
    (mur_a, cpu_a), (mur_b, cpu_b) = medianes[a], medianes[b]
    print(f"\n{a} / {b}: wall {mur_a / mur_b:.2f}x, CPU {cpu_a / cpu_b:.2f}x")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--bench", default="build-release/bench/ormelle-bench")
    p.add_argument("--data", default=os.path.join(tempfile.gettempdir(), "ormelle-bench"))
    p.add_argument("--runs", type=int, default=11)
    p.add_argument("--only", action="append", default=[])
    a = p.parse_args()
    SEULEMENT.extend(a.only)
    d, b, n = a.data, a.bench, a.runs
    m = case("24 MP JPEG fitted to 449x337", {
        "ormelle-bench": [b, "decode", f"{d}/photo-24mp.jpg", "--fit", "449x337"],
        "vipsthumbnail": ["vipsthumbnail", f"{d}/photo-24mp.jpg", "--size", "449x337",
                          "-o", f"{d}/vips-out.ppm"],
        "djpeg -scale 1/8": ["djpeg", "-scale", "1/8", "-outfile", "/dev/null", f"{d}/photo-24mp.jpg"],
    }, n)
    ratio(m, "ormelle-bench", "vipsthumbnail")
    ratio(m, "ormelle-bench", "djpeg -scale 1/8")
    m = case("12 MP HEIC fitted to 449x337", {
        "ormelle-bench": [b, "decode", f"{d}/photo-12mp.heic", "--fit", "449x337"],
        "vipsthumbnail": ["vipsthumbnail", f"{d}/photo-12mp.heic", "--size", "449x337",
                          "-o", f"{d}/vips-out.ppm"],
    }, n)
    ratio(m, "ormelle-bench", "vipsthumbnail")
    m = case("100 MP JPEG fitted to 1920x1080", {
        "ormelle-bench": [b, "decode", f"{d}/photo-100mp.jpg", "--fit", "1920x1080"],
        "vipsthumbnail": ["vipsthumbnail", f"{d}/photo-100mp.jpg", "--size", "1920x1080",
                          "-o", f"{d}/vips-out.ppm"],
    }, max(3, n // 2))
    ratio(m, "ormelle-bench", "vipsthumbnail")
    # ls sorts in the locale of the run (byte order in C.UTF-8) and stats nothing
    # when its output is no terminal; nor does the listing (identities are measured
    # when first asked for), which sorts without case. ls -f (no sort) is shown for
    # the cost of the sort.
    m = case("100,000-file folder, *.jpg, sorted", {
        "ormelle-bench": [b, "list", f"{d}/dossier-100000", "*.jpg"],
        "ls": ["ls", f"{d}/dossier-100000"],
        "ls -f": ["ls", "-f", f"{d}/dossier-100000"],
    }, n)
    ratio(m, "ormelle-bench", "ls")
    # One thumbnail page, whole process against whole process: start, the folder
    # listed, nine thumbnails decoded and painted, exit; vipsthumbnail makes the
    # same nine thumbnails in one process.
    neuf = f"{d}/photos-24mp-9"
    sorties = tempfile.mkdtemp()
    m = case("thumbnail page, nine 24 MP JPEGs", {
        "ormelle-bench": [b, "thumbnail-page", neuf],
        "vipsthumbnail": ["vipsthumbnail", "--size", "128x96", "-o", f"{sorties}/%s.png"]
        + sorted(os.path.join(neuf, f) for f in os.listdir(neuf)),
    }, n)
    ratio(m, "ormelle-bench", "vipsthumbnail")


if __name__ == "__main__":
    main()
