#pragma once
// What the program sees of the sound module (libormelle-son), loaded on the first need of
// a sound so that a launch maps none of Qt Multimedia, FluidSynth, libsndfile and what
// they pull in. Header only and abstract: the program needs no symbol of the module, and
// the module none of the program. Both sides are built from this one header together.
#include <QString>
#include <functional>
#include <memory>

// The player's modes as the MCI control names them.
namespace modeson {
constexpr char Ferme[] = "not ready"; // no file open
constexpr char Arrete[] = "stopped";
constexpr char Lecture[] = "playing";
} // namespace modeson

// The player's events, called on the thread that owns the player.
struct RappelsLecteur {
    std::function<void(const QString& mode)> mode;
    std::function<void(qint64 us)> premierTampon;
    std::function<void(bool ok)> ouvert;
};

// The media player behind LecteurMci (sound/lecteurmci.h tells what each call does).
class InterfaceLecteur {
public:
    virtual ~InterfaceLecteur() = default;
    virtual void fermer() = 0;
    virtual void arreter() = 0;
    virtual void jouerDepuisDebut() = 0;
    virtual bool setFileName(const QString& chemin) = 0;
    virtual void ouvrir(const QString& chemin) = 0;
    virtual bool enOuverture() const = 0;
    virtual QString FileName() const = 0;
    virtual qint64 Length() const = 0;
    virtual QString Mode() const = 0;
    virtual void preparer() = 0;
    virtual bool synthePret() const = 0;
    virtual QString erreur() const = 0;
    virtual QString avertissement() const = 0;
    virtual void setSortieMuette(bool muette) = 0;
};

// The module's entry points, reached through the one C symbol below.
struct PointsSon {
    // A player named `nom` (its thread's name) whose events go to `rappels`.
    std::unique_ptr<InterfaceLecteur> (*creerLecteur)(const QString& nom, RappelsLecteur rappels);
    // Cue number 19 to 23 on the default output; false when nothing was played.
    bool (*jouerCue)(int numero);
};

#define ORMELLE_SYMBOLE_SON "ormelle_points_son"
extern "C" const PointsSon* ormelle_points_son();
