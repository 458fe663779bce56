#!/usr/bin/env python3
"""From launch to the picture on screen: `ormelle PHOTO` beside the floor (ormelle-plancher,
a bare Qt Widgets window showing one 1/8 decode of the photo) and `feh PHOTO` (and eog
when installed), in one run, under one private X server with a window manager.

Each program is started in turn, round after round, and a small square at the centre of
the screen is read, with a pause between reads, until the picture shows there: the photo
is tinted magenta first (its detail kept, so decoding costs what it costs), and a picture
is "on screen" once most of the square is magenta. At that moment the probe notes the
shared libraries the program has mapped, then kills it and takes its CPU time (user+sys).
Prints the medians of each program and the ratios to the floor and to feh.

Usage: bench/lancement.py ORMELLE PHOTO.JPG [--runs N] [--display N] [--floor PROGRAM]
                          [--also NAME=PROGRAM]...
Needs Xvfb, openbox, feh and ImageMagick (scripts/deps.sh --bench).
"""
import argparse
import ctypes
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

LARGEUR, HAUTEUR = 1920, 1080
# The square watched, at the centre of the screen, and the pause between two reads:
# the probe must leave the machine to the program it times.
COTE = 48
PAUSE = 0.002


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Ecran:
    """Reads the root window of a display through libX11."""

    def __init__(self, affichage):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(affichage.encode())
        if not self.dpy:
            raise RuntimeError("pas d'écran " + affichage)
        self.racine = self.x.XDefaultRootWindow(self.dpy)

    def magenta(self):
        """Pixels of the square at the centre of the screen that are clearly magenta."""
        img = self.x.XGetImage(self.dpy, self.racine, (LARGEUR - COTE) // 2, (HAUTEUR - COTE) // 2, COTE, COTE,
                               0xFFFFFFFF, 2)
        i = img.contents
        octets = ctypes.string_at(i.data, i.bytes_per_line * i.height)
        self.x.XFree(i.data)
        self.x.XFree(img)
        n = 0
        for y in range(COTE):
            ligne = octets[y * i.bytes_per_line:y * i.bytes_per_line + 4 * COTE]
            for b, g, r in zip(ligne[0::4], ligne[1::4], ligne[2::4]):
                if r > g + 60 and b > g + 60:
                    n += 1
        return n


def bibliotheques(pid):
    """Shared libraries a running process has mapped."""
    with open("/proc/%d/maps" % pid) as f:
        return len({l.split()[-1] for l in f if ".so" in l.rsplit("/", 1)[-1]})


def cle_ini(texte):
    """A group or key name as QSettings writes it in an INI file."""
    sortie = []
    for c in texte:
        if c.isascii() and (c.isalnum() or c in "_-."):
            sortie.append(c)
        elif ord(c) < 256:
            sortie.append("%%%02X" % ord(c))
        else:
            sortie.append("%%U%04X" % ord(c))
    return "".join(sortie)


def profil(dossier):
    """A settings file without the start-up notices, which would hold the picture back."""
    config = os.path.join(dossier, "config", "Ormelle")
    os.makedirs(config)
    with open(os.path.join(config, "Ormelle.ini"), "w") as f:
        for groupe, cle in (("Avertissement", "Affichage"), ("Conseils du jour", "Conseil au démarrage")):
            f.write("[%s]\n%s=Non\n\n" % (cle_ini(groupe), cle_ini(cle)))
    env = dict(os.environ)
    env.update(HOME=dossier, XDG_CONFIG_HOME=os.path.join(dossier, "config"),
               XDG_DATA_HOME=os.path.join(dossier, "data"), XDG_RUNTIME_DIR=dossier)
    env.pop("QT_QPA_PLATFORM", None)
    return env


def mesurer(ecran, commande, env, seuil, limite=20.0):
    """(ms to the picture, CPU ms until then, shared libraries) or None."""
    debut = time.monotonic()
    p = subprocess.Popen(commande, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mesure = None
    try:
        while time.monotonic() - debut < limite:
            if ecran.magenta() >= seuil:
                mesure = [(time.monotonic() - debut) * 1000, 0, bibliotheques(p.pid)]
                break
            time.sleep(PAUSE)
    finally:
        p.send_signal(signal.SIGKILL)
        _, _, usage = os.wait4(p.pid, 0)
        p.returncode = -signal.SIGKILL
        while ecran.magenta() > 0:  # until its window has gone
            time.sleep(0.01)
    if mesure:
        mesure[1] = (usage.ru_utime + usage.ru_stime) * 1000
    return mesure


def main():
    a = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    a.add_argument("ormelle")
    a.add_argument("photo")
    a.add_argument("--runs", type=int, default=7)
    a.add_argument("--display", default=":57")
    a.add_argument("--floor", help="ormelle-plancher (by default beside ORMELLE, in ../bench)")
    a.add_argument("--also", action="append", default=[], metavar="NAME=PROGRAM",
                   help="another build of the viewer raced beside (an older one, say)")
    args = a.parse_args()
    plancher = args.floor or os.path.join(os.path.dirname(os.path.abspath(args.ormelle)), "..", "bench",
                                          "ormelle-plancher")
    with tempfile.TemporaryDirectory() as d:
        teinte = os.path.join(d, "photo.jpg")
        subprocess.run(["convert", args.photo, "-fill", "magenta", "-colorize", "70", "-quality", "90", teinte],
                       check=True)
        serveur = subprocess.Popen(["Xvfb", args.display, "-screen", "0", "%dx%dx24" % (LARGEUR, HAUTEUR),
                                    "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
        env = profil(d)
        env["DISPLAY"] = args.display
        # A private session without a bus, the same for every program.
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        try:
            for _ in range(100):
                try:
                    ecran = Ecran(args.display)
                    break
                except RuntimeError:
                    time.sleep(0.05)
            else:
                sys.exit("Xvfb ne démarre pas")
            gestionnaire = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL)
            time.sleep(1)  # openbox takes the screen once; the runs come after
            seuil = COTE * COTE * 3 // 4
            programmes = {"plancher": [plancher, teinte], "ormelle": [args.ormelle, teinte]}
            for autre in args.also:
                nom, programme = autre.split("=", 1)
                programmes[nom] = [programme, teinte]
            programmes["feh"] = ["feh", teinte]
            if shutil.which("eog"):
                programmes["eog"] = ["eog", teinte]
            mesures = {nom: [] for nom in programmes}
            for _ in range(args.runs):
                for nom, commande in programmes.items():
                    m = mesurer(ecran, commande, env, seuil)
                    if m is not None:
                        mesures[nom].append(m)
            gestionnaire.terminate()
        finally:
            serveur.terminate()
        def mediane(nom, i):
            return statistics.median(m[i] for m in mesures[nom]) if mesures[nom] else None
        plancher_ms, feh_ms = mediane("plancher", 0), mediane("feh", 0)
        print("charge : %s" % open("/proc/loadavg").read().strip())
        for nom in programmes:
            if not mesures[nom]:
                print("%-9s jamais vu à l'écran" % nom)
                continue
            m = mediane(nom, 0)
            ratios = "".join(" %.2fx %s" % (m / r, n) for r, n in ((plancher_ms, "plancher"), (feh_ms, "feh")) if r)
            print("%-9s médiane %5.0f ms (CPU %4.0f ms, %3d bibliothèques) sur %d lancements :%s"
                  % (nom, m, mediane(nom, 1), mediane(nom, 2), len(mesures[nom]), ratios))


if __name__ == "__main__":
    main()
