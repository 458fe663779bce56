#!/usr/bin/env python3
"""From launch to the picture on screen: `ormelle PHOTO` beside `feh PHOTO` (and eog
when installed), in one run, under one private X server with a window manager.

Each program is started in turn, round after round, and the screen is read until the
picture shows: the photo is tinted magenta first (its detail kept, so decoding costs
what it costs), and a picture is "on screen" once enough of the screen is magenta.
Prints the median time of each program and the ratio to feh.

Usage: bench/lancement.py ORMELLE PHOTO.JPG [--runs N] [--display N]
Needs Xvfb, openbox, feh and ImageMagick (scripts/deps.sh --bench).
"""
import argparse
import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

LARGEUR, HAUTEUR = 1920, 1080


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
        """Sampled pixels (one in 4 x 4) that are clearly magenta."""
        img = self.x.XGetImage(self.dpy, self.racine, 0, 0, LARGEUR, HAUTEUR, 0xFFFFFFFF, 2)
        i = img.contents
        octets = ctypes.string_at(i.data, i.bytes_per_line * i.height)
        self.x.XFree(i.data)
        self.x.XFree(img)
        n = 0
        for y in range(0, HAUTEUR, 4):
            ligne = octets[y * i.bytes_per_line:(y + 1) * i.bytes_per_line]
            for b, g, r in zip(ligne[0::16], ligne[1::16], ligne[2::16]):
                if r > g + 60 and b > g + 60:
                    n += 1
        return n


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
    debut = time.monotonic()
    p = subprocess.Popen(commande, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - debut < limite:
            if ecran.magenta() >= seuil:
                return (time.monotonic() - debut) * 1000
        return None
    finally:
        p.terminate()
        p.wait()
        while ecran.magenta() > 0:  # until its window has gone
            time.sleep(0.01)


def main():
    a = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    a.add_argument("ormelle")
    a.add_argument("photo")
    a.add_argument("--runs", type=int, default=7)
    a.add_argument("--display", default=":57")
    args = a.parse_args()
    with tempfile.TemporaryDirectory() as d:
        teinte = os.path.join(d, "photo.jpg")
        subprocess.run(["convert", args.photo, "-fill", "magenta", "-colorize", "70", "-quality", "90", teinte],
                       check=True)
        serveur = subprocess.Popen(["Xvfb", args.display, "-screen", "0", "%dx%dx24" % (LARGEUR, HAUTEUR),
                                    "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
        env = profil(d)
        env["DISPLAY"] = args.display
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
            # A fifth of the preview box (449 x 337), sampled one pixel in sixteen.
            seuil = 449 * 337 // 5 // 16
            programmes = {"ormelle": [args.ormelle, teinte], "feh": ["feh", teinte]}
            if shutil.which("eog"):
                programmes["eog"] = ["eog", teinte]
            temps = {nom: [] for nom in programmes}
            for _ in range(args.runs):
                for nom, commande in programmes.items():
                    t = mesurer(ecran, commande, env, seuil)
                    if t is not None:
                        temps[nom].append(t)
            gestionnaire.terminate()
        finally:
            serveur.terminate()
        reference = statistics.median(temps["feh"]) if temps["feh"] else None
        for nom, t in temps.items():
            if not t:
                print("%-8s jamais vu à l'écran" % nom)
                continue
            m = statistics.median(t)
            ratio = " (%.2fx feh)" % (m / reference) if reference else ""
            print("%-8s médiane %6.0f ms sur %d lancements%s" % (nom, m, len(t), ratio))


if __name__ == "__main__":
    main()
