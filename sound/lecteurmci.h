#pragma once
// The media control MCIWnd1, with the surface the music commands rely on: the MCI
// command strings "close", "stop" and "play from 0", FileName (assigning a path opens
// the file), TimeFormat "ms", Length, Mode ("not ready", "stopped", "playing") and the
// NotifyMode signal on each change of the mode caused by playing, stopping, the end of
// the sound or closing. Opening a file sets the mode to "stopped" without a notification,
// as the control did.
//
// Decoding and rendering run on a thread of the player's own, which also feeds the audio
// output (QAudioSink), so that nothing the interface thread does can make the sound
// stutter. Without an audio device the player walks through the sound in real time,
// silently: modes, notifications and lengths are the same.
//
// QtCore and QtMultimedia only.
#include "sound/sonouvert.h"

#include <QAudioDevice>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <memory>

class MoteurSon;
class QThread;

class LecteurMci : public QObject {
    Q_OBJECT
public:
    static const QString ModeFerme;   // "not ready": no file open
    static const QString ModeArrete;  // "stopped"
    static const QString ModeLecture; // "playing"

    explicit LecteurMci(QObject* parent = nullptr);
    ~LecteurMci() override;

    // Sends an MCI command string: "close", "stop", "play from 0" (or "play", which also
    // starts from the beginning here). False for any other string.
    bool Command(const QString& commande);
    void fermer();
    void arreter();
    void jouerDepuisDebut();

    QString FileName() const { return fichier_; }
    // Closes what was open, then opens `chemin` on the calling thread. False when the
    // file cannot be played: the control stays closed, FileName empty, and erreur() tells why.
    bool setFileName(const QString& chemin);
    // The same off the calling thread: a song is read on a thread of its own, and
    // ouvert() tells how it went. A newer opening, "close" and "stop" drop an opening
    // under way, which then tells nothing.
    void ouvrir(const QString& chemin);
    bool enOuverture() const { return enCours_ != nullptr; }
    QString TimeFormat() const { return formatTemps_; }
    // Only "ms" is known; false for any other format, which leaves it unchanged.
    bool setTimeFormat(const QString& format);
    // Length of the open sound in the time format; 0 when nothing is open.
    qint64 Length() const;
    QString Mode() const { return mode_; }

    // Loads the SoundFont on the player's thread ahead of time (while a file dialog is
    // open, say), so that a MIDI file starts at once; nothing when none is installed.
    void preparer();

    QString erreur() const { return erreur_; }
    // Set when the open sound will play silently (a MIDI file and no SoundFont installed).
    QString avertissement() const { return avertissement_; }

    // The silent walk even where an audio device exists (tests that must not be heard).
    void setSortieMuette(bool muette) { muette_ = muette; }

signals:
    void NotifyMode(const QString& mode);
    // The first buffer of a play was handed to the audio output, `us` after the command.
    void premierTampon(qint64 us);
    // An ouvrir() has ended: the file is open, or erreur() tells why not.
    void ouvert(bool ok);

private:
    MoteurSon* moteur();
    void changerMode(const QString& mode);
    void fin(int generation);
    void abandonnerOuverture();
    void adopter(const QString& chemin, std::shared_ptr<const SonOuvert> son);

    QString fichier_;
    QString formatTemps_ = QStringLiteral("ms");
    QString mode_ = ModeFerme;
    QString erreur_;
    QString avertissement_;
    std::shared_ptr<const SonOuvert> son_;
    int generation_ = 0;
    bool muette_ = false;
    QThread* fil_ = nullptr;
    MoteurSon* moteur_ = nullptr;
    QThreadPool ouvertures_;
    std::shared_ptr<std::atomic_bool> enCours_; // the cancel flag of the opening under way
};
