#pragma once
// The command line, read before Qt starts: --help and --version answer without a
// display, and nothing meant for Ormelle reaches Qt's own option parser.
#include <QString>

struct LigneCommande {
    enum Action { Ouvrir, Aide, Version, Erreur };
    Action action = Ouvrir;
    // The folder or picture to open; empty keeps the stored start folder.
    QString demande;
    // The option not understood, for the message.
    QString inconnue;
};

// Reads argv and leaves in it (argc shrinks) only the program name and Qt's own
// options (-platform, -style...), for QApplication. After "--" every argument is a
// name, so that a file called "--x" still opens; the first name is the one opened.
LigneCommande lireLigneCommande(int& argc, char** argv);

// Prints the help or the version on standard output, or the error on standard error,
// and gives the exit code: 0 for help and version, 2 for an unknown option.
int repondreLigneCommande(const LigneCommande& ligne);

// Qt ends the process with an English message and an abort when its platform plugin
// cannot start (no DISPLAY, no WAYLAND_DISPLAY, a wrong QT_QPA_PLATFORM). While one of
// these lives, that end becomes one French line on standard error and exit code 1,
// and Qt's other messages wait: liberer() passes them on once the application stands.
class GardeAffichage {
public:
    // `argc`/`argv` as QApplication gets them, to name a "-platform" given there.
    GardeAffichage(int argc, char** argv);
    ~GardeAffichage() { liberer(); }
    GardeAffichage(const GardeAffichage&) = delete;
    GardeAffichage& operator=(const GardeAffichage&) = delete;
    void liberer();
};
