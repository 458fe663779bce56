#pragma once
// One of the two places that play music: the main window's FondSons panel and
// the full-screen menu's "Musique et sons" each own one, independent of the other. It
// holds the media control MCIWnd1, the repeat, and the six commands; the window that
// owns it supplies its file dialog and its message panel. QtCore and the player only.
#include "sound/lecteurmci.h"
#include "sound/repetition.h"

#include <QObject>
#include <functional>
#include <optional>

// "Le son dure 2mn. 5sec. 500ms." for 125500 ms.
QString texteDureeSon(qint64 ms);

class PosteSons : public QObject {
    Q_OBJECT
public:
    static const QString TitreDialogue;  // "Nom du fichier MIDI, RMI ou WAVE"
    static const QString FiltreDialogue; // "Sons MID, RMI et WAV|*.mid;*.rmi;*.wav|Tous les fichiers|*.*"
    static const QString TitreDuree;     // "Durée du son"

    // `nomMinuterie`: "Timer2" in the main window, "Timer1" in the full-screen menu.
    explicit PosteSons(const QString& nomMinuterie, QObject* parent = nullptr);

    LecteurMci& MCIWnd1() { return *lecteur_; }
    Repetition& repetition() { return *repetition_; }
    bool RepetitionSon() const { return repetition_->RepetitionSon; }

    // The Open dialog with TitreDialogue and FiltreDialogue, the first filter selected;
    // nullopt is a cancel.
    std::function<std::optional<QString>(const QString& titre, const QString& filtre)> choisirFichier;
    // Shows the duration text in the owner's message panel (caption TitreDuree, cue 22).
    std::function<void(const QString& texte)> montrerDuree;
    // Tells the user why a loaded sound will stay silent (no SoundFont for MIDI).
    std::function<void(const QString& texte)> signaler;

    void mnuChargerSon();
    void mnuJouerSon();
    void mnuChargerJouerSon();
    void mnuDureeSon();
    void mnuRepetSon();
    void mnuArretSon();

private:
    // The load steps, the file read off the interface thread; `jouer` plays it once it
    // is open. A cancel or a file that cannot be opened ends the command there, without
    // a message: the command's error guard.
    void charger(bool jouer);
    void ouvert(bool ok);

    LecteurMci* lecteur_;
    Repetition* repetition_;
    bool jouerOuvert_ = false;
};
