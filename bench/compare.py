#!/usr/bin/env python3
"""Side-by-side figures of ormelle-bench and the reference tools.

Every command of a case runs in turn, round after round, so that a noisy machine
slows them all alike; medians are printed. Wall time covers the whole process
(start-up included) for every tool; the time ormelle-bench reports for its own
work is shown beside it. Peak memory is the child's maximum resident set size, from GNU time.

Usage: bench/compare.py [--bench PATH] [--data FOLDER] [--runs N]
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
    mesure = [TIME, "-f", "%M", "-o", MEMOIRE] if os.path.exists(TIME) else []
    debut = time.perf_counter()
    proc = subprocess.run(mesure + cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    duree = time.perf_counter() - debut
    sortie = proc.stdout.decode(errors="replace")
    if proc.returncode != 0:
        raise SystemExit(f"failed ({proc.returncode}): {' '.join(cmd)}\n{sortie}")
    memoire = float(open(MEMOIRE).read().split()[-1]) / 1024 if mesure else float("nan")
    interne = re.search(r"temps ([0-9.]+) ms", sortie)
    return duree * 1000, memoire, float(interne.group(1)) if interne else None


def case(titre, commandes, runs):
    mesures = {nom: [] for nom in commandes}
    for _ in range(runs):
        for nom, cmd in commandes.items():
            mesures[nom].append(run(cmd))
    print(f"\n## {titre} ({runs} runs, medians)\n")
    print("| tool | wall ms | own work ms | peak MiB |")
    print("|---|---|---|---|")
    medianes = {}
    for nom, m in mesures.items():
        mur = statistics.median(x[0] for x in m)
        mem = statistics.median(x[1] for x in m)
        internes = [x[2] for x in m if x[2] is not None]
        interne = f"{statistics.median(internes):.1f}" if internes else "-"
        medianes[nom] = mur
        print(f"| {nom} | {mur:.1f} | {interne} | {mem:.1f} |")
    return medianes


def ratio(medianes, a, b):
    print(f"\n{a} / {b} (wall): {medianes[a] / medianes[b]:.2f}x")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--bench", default="build-release/bench/ormelle-bench")
    p.add_argument("--data", default=os.path.join(tempfile.gettempdir(), "ormelle-bench"))
    p.add_argument("--runs", type=int, default=11)
    a = p.parse_args()
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
    m = case("100,000-file folder, *.jpg, sorted", {
        "ormelle-bench": [b, "list", f"{d}/dossier-100000", "*.jpg"],
        "ls": ["ls", f"{d}/dossier-100000"],
    }, n)
    ratio(m, "ormelle-bench", "ls")


if __name__ == "__main__":
    main()
