#pragma once
// Plays the frames of an animated picture (GIF, WebP) after its first one, which
// the picture service has already decoded and the view shows. Frames are read in
// turn on the picture service's workers, at the size the first one was fitted to,
// a few ahead of the one on screen and never more; each is handed to the view
// when its time comes, counted from the moment the first one was shown. The file's
// loop count is honoured; past the last play, or at a damaged frame, the frame on
// screen stays and the animation stops quietly. Everything it holds goes with it:
// a view drops its Animation when the picture changes or the view closes.
#include "core/horloge.h"
#include "core/imageprete.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <deque>
#include <memory>

class ServiceImages;

class Animation : public QObject {
    Q_OBJECT
public:
    // Frames decoded ahead of the one on screen.
    static constexpr int Avance = 2;
    // A frame later than this (the machine was busy) restarts the timing from the
    // moment it is shown, rather than rushing the frames after it.
    static constexpr int RetardMax = 100;

    // `demande`: how the first frame was asked for; `premiere`: that frame, on screen now.
    Animation(ServiceImages& service, Horloge& horloge, const DemandeImage& demande, const ImagePrete& premiere,
              QObject* parent = nullptr);
    ~Animation() override;

    // The frame on screen, 0 for the first, counted again from 0 at each play.
    int numero() const { return numero_; }
    // Plays counted from 1.
    int tour() const { return tour_; }
    bool enCours() const { return enCours_; }
    // When the next frame is due (clock time), -1 while not known yet.
    qint64 echeance() const { return echeance_; }
    // When the frame on screen was due.
    qint64 echeanceAffichee() const { return echeanceAffichee_; }
    // When the first frame was shown, and the display times of the frames shown
    // since then, the one on screen left out: what the elapsed time should be.
    qint64 debut() const { return debut_; }
    qint64 tempsJoue() const { return tempsJoue_; }
    int pretes() const { return int(file_.size()); }
    // The time a frame stays on screen for the delay its file gives: as browsers do,
    // 10 ms and less mean 100 ms, so files made for them play at the same pace.
    static int dureeAffichage(int delaiFichier);

signals:
    // The frame to draw now, at the size and pixel ratio of the first one.
    void imageDue(const QImage& image);
    // The animation has stopped; the last frame handed out stays on screen.
    void terminee();

private:
    struct Lecture;
    struct Trame {
        QImage image;
        int delai = 0;
        int numero = 0;
        int tour = 1;
    };
    void demanderSuivante();
    void recue();
    void verifier();
    void arreter();

    ServiceImages& service_;
    Horloge& horloge_;
    std::shared_ptr<Lecture> lecture_; // shared with the job reading it, if any
    quint64 ticket_ = 0;
    std::deque<Trame> file_;
    QTimer minuterie_;
    qint64 debut_ = 0;
    qint64 echeance_ = -1;
    qint64 echeanceAffichee_ = 0;
    qint64 tempsJoue_ = 0;
    int dureeAffichee_ = 0; // of the frame on screen
    int numero_ = 0;
    int tour_ = 1;
    bool enCours_ = true;
    bool finLue_ = false; // nothing more will be read: the frames held are the last
};
