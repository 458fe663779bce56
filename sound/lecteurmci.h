#pragma once
// The media control MCIWnd1, with the surface the music commands rely on: the MCI
// command strings "close", "stop" and "play from 0", FileName (assigning a path opens
// the file), TimeFormat "ms", Length, Mode ("not ready", "stopped", "playing") and the
// NotifyMode signal on each change of the mode caused by playing, stopping, the end of
// the sound or closing. Opening a file sets the mode to "stopped" without a notification,
// as the control did.
//
// The player itself lives in the sound module (sound/lecteurson.h), loaded by the first
// call that needs a sound: a control never used loads nothing. When the module cannot be
// loaded, every opening fails with erreur() telling why.
#include "sound/interfaceson.h"

#include <QObject>
#include <QString>
#include <memory>

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

    QString FileName() const;
    // Closes what was open, then opens `chemin` on the calling thread. False when the
    // file cannot be played: the control stays closed, FileName empty, and erreur() tells why.
    bool setFileName(const QString& chemin);
    // The same off the calling thread: a song is read on a thread of its own, and
    // ouvert() tells how it went. A newer opening, "close" and "stop" drop an opening
    // under way, which then tells nothing.
    void ouvrir(const QString& chemin);
    bool enOuverture() const;
    QString TimeFormat() const { return formatTemps_; }
    // Only "ms" is known; false for any other format, which leaves it unchanged.
    bool setTimeFormat(const QString& format);
    // Length of the open sound in the time format; 0 when nothing is open.
    qint64 Length() const;
    QString Mode() const;

    // Loads the sound module and then the SoundFont, both off the interface thread, ahead
    // of time (when the music panel opens, while a file dialog is open), so that the first
    // play starts at once; no SoundFont is loaded when none is installed.
    void preparer();
    // The synthesiser is loaded with the SoundFont: a MIDI file plays without waiting.
    bool synthePret() const;

    QString erreur() const;
    // Set when the open sound will play silently (a MIDI file and no SoundFont installed).
    QString avertissement() const;

    // The silent walk even where an audio device exists (tests that must not be heard).
    void setSortieMuette(bool muette);

signals:
    void NotifyMode(const QString& mode);
    // The first buffer of a play was handed to the audio output, `us` after the command.
    void premierTampon(qint64 us);
    // An ouvrir() has ended: the file is open, or erreur() tells why not.
    void ouvert(bool ok);

private:
    // The player, the module loaded on the way; null when it cannot be (erreur_ says why).
    InterfaceLecteur* lecteur();

    std::unique_ptr<InterfaceLecteur> lecteur_;
    QString formatTemps_ = QStringLiteral("ms");
    QString erreur_;
    bool muette_ = false;
    bool preparation_ = false; // a preloading of the module is under way
};
