#!/usr/bin/env python3
"""An animated GIF in full screen: `ormelle-bench animation` in a real window beside
gifview and eog (`eog -f`), in one run, under one private X server with a window manager.

Each program plays the same GIF in turn, round after round; the CPU time (user+sys, all
threads) the whole process takes is read from /proc/PID/stat over the same stretch of
elapsed time, once its start-up is over. Prints the median of each program and
Ormelle's ratio to each peer, then what ormelle-bench itself reported on its last run
(frames painted per second, drift, memory).

Usage: bench/gif_plein_ecran.py ORMELLE-BENCH FILE.gif [--runs N] [--seconds S]
       [--warmup S] [--display N] [--variant NAME ORMELLE-BENCH VAR=VALUE|-]...
--variant adds another build of ormelle-bench, or the same with a variable set
(ORMELLE_BENCH_MALLOC_DEFAUT=1: glibc's allocator as it comes), to every round.
Needs Xvfb, openbox, dbus-daemon, gifsicle (gifview) and eog (scripts/deps.sh --bench).
The GIF should be 1920x1080: gifview shows it at its own size, on the whole screen.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def cpu(pid):
    """User+sys seconds of a process and all its threads, dead or alive."""
    with open("/proc/%d/stat" % pid) as f:
        champs = f.read().rsplit(")", 1)[1].split()
    return (int(champs[11]) + int(champs[12])) / TICK


def mesurer(commande, env, echauffement, duree):
    """CPU seconds taken from `echauffement` to `echauffement + duree` after start."""
    p = subprocess.Popen(commande, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        time.sleep(echauffement)
        avant, t0 = cpu(p.pid), time.monotonic()
        time.sleep(duree)
        apres, t1 = cpu(p.pid), time.monotonic()
        sortie = p.communicate(timeout=60)[0] if commande[1:2] == ["animation"] else ""
    finally:
        if p.poll() is None:
            p.terminate()
            p.wait(timeout=10)
    return (apres - avant) / (t1 - t0), sortie


def main():
    a = argparse.ArgumentParser()
    a.add_argument("bench")
    a.add_argument("gif")
    a.add_argument("--runs", type=int, default=3)
    a.add_argument("--seconds", type=float, default=20)
    a.add_argument("--warmup", type=float, default=4)
    a.add_argument("--delay-ms", type=int, default=40, help="the GIF's delay between frames")
    a.add_argument("--display", type=int, default=93)
    a.add_argument("--variant", nargs=3, action="append", default=[], metavar=("NAME", "BENCH", "VAR"))
    o = a.parse_args()
    for outil in ("Xvfb", "openbox", "dbus-daemon", "gifview", "eog"):
        if not shutil.which(outil):
            sys.exit(outil + " absent: scripts/deps.sh --bench")
    affichage = ":%d" % o.display
    env = dict(os.environ, DISPLAY=affichage, QT_QPA_PLATFORM="xcb")
    xvfb = subprocess.Popen(["Xvfb", affichage, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1)
    wm = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL)
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    # The bench stops by itself a little after the stretch measured, and then reports.
    images = int((o.warmup + o.seconds) * 1000 / o.delay_ms) + 10
    commandes = {"ormelle": ([o.bench, "animation", o.gif, "--frames", str(images)], env)}
    for nom, bench, variable in o.variant:
        env_variante = dict(env)
        if variable != "-":
            cle, valeur = variable.split("=", 1)
            env_variante[cle] = valeur
        commandes[nom] = ([bench, "animation", o.gif, "--frames", str(images)], env_variante)
    ormelles = list(commandes)
    commandes["gifview"] = (["gifview", "--animate", o.gif], env)
    commandes["eog"] = (["eog", "--fullscreen", o.gif], env)
    cpus = {nom: [] for nom in commandes}
    rapports = {}
    try:
        for tour in range(o.runs):
            for nom, (commande, env_commande) in commandes.items():
                part, sortie = mesurer(commande, env_commande, o.warmup, o.seconds)
                cpus[nom].append(part)
                rapports[nom] = sortie or rapports.get(nom, "")
                print("run %d %-10s %5.1f %% of a core" % (tour + 1, nom, 100 * part), flush=True)
    finally:
        for p in (bus, wm, xvfb):
            p.terminate()
            p.wait()
    m = {nom: statistics.median(v) for nom, v in cpus.items()}
    for nom, v in m.items():
        print("median %-10s %5.1f %% of a core" % (nom, 100 * v))
    for nom in ormelles:
        print("%s / gifview %.2fx, / eog %.2fx" % (nom, m[nom] / m["gifview"], m[nom] / m["eog"]))
    for nom in ormelles:
        print("%s, last run:\n%s" % (nom, rapports[nom].strip()))


if __name__ == "__main__":
    main()
