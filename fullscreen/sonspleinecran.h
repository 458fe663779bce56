#pragma once
// The full-screen menu's own player: MCIWnd1, Timer1 and RepetitionSon of
// FenPopUp, independent of the main window's. Its file dialog goes through the desktop
// services and its duration shows in the viewer's message panel. It belongs to the
// viewer, so its sound ends when the viewer closes; the menu's "Musique et sons"
// entries only call its six commands.
#include "fullscreen/fenpopup.h"

#include <QObject>

class General;
class PleinEcran;
class PosteSons;

class MusiquePleinEcran : public QObject, public LecteurMusique {
    Q_OBJECT
public:
    MusiquePleinEcran(General& g, PleinEcran& vue);

    PosteSons& sons() { return *sons_; }

    void chargerSon() override;
    void jouerSon() override;
    void chargerJouerSon() override;
    void dureeSon() override;
    void repeterSon() override;
    void arreterSon() override;
    bool sonCharge() const override;
    bool repetition() const override;
    void preparer() override;

private:
    PosteSons* sons_;
};
