#pragma once
// The media player itself, inside the sound module: LecteurMci (sound/lecteurmci.h) hands
// every call over to it once the module is loaded.
//
// Decoding and rendering run on a thread of the player's own, which also feeds the audio
// output (QAudioSink), so that nothing the interface thread does can make the sound
// stutter. Without an audio device the player walks through the sound in real time,
// silently: modes, notifications and lengths are the same.
//
// QtCore and QtMultimedia only.
#include "sound/interfaceson.h"
#include "sound/sonouvert.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <memory>

class MoteurSon;
class QThread;

class LecteurSon : public QObject, public InterfaceLecteur {
    Q_OBJECT
public:
    LecteurSon(const QString& nom, RappelsLecteur rappels);
    ~LecteurSon() override;

    void fermer() override;
    void arreter() override;
    void jouerDepuisDebut() override;
    bool setFileName(const QString& chemin) override;
    void ouvrir(const QString& chemin) override;
    bool enOuverture() const override { return enCours_ != nullptr; }
    QString FileName() const override { return fichier_; }
    qint64 Length() const override;
    QString Mode() const override { return mode_; }
    void preparer() override;
    bool synthePret() const override { return synthePret_; }
    QString erreur() const override { return erreur_; }
    QString avertissement() const override { return avertissement_; }
    void setSortieMuette(bool muette) override { muette_ = muette; }

private:
    MoteurSon* moteur();
    void changerMode(const QString& mode);
    void fin(int generation);
    void abandonnerOuverture();
    void adopter(const QString& chemin, std::shared_ptr<const SonOuvert> son);

    RappelsLecteur rappels_;
    QString fichier_;
    QString mode_;
    QString erreur_;
    QString avertissement_;
    std::shared_ptr<const SonOuvert> son_;
    int generation_ = 0;
    bool muette_ = false;
    bool synthePret_ = false;
    QThread* fil_ = nullptr;
    MoteurSon* moteur_ = nullptr;
    QThreadPool ouvertures_;
    std::shared_ptr<std::atomic_bool> enCours_; // the cancel flag of the opening under way
};
