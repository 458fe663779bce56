#pragma once
// The main window's message panel FondMessage: a caption, the text, the exclamation
// icon that marks an error, and the cue that goes with each message.
#include "app/panneaumessage.h"

class General;
class QLabel;

class MessageFenPrin : public PanneauMessage {
    Q_OBJECT
public:
    MessageFenPrin(General& g, QWidget* fenetre);

    // Shows the message over the window's other panels, where a message stands; the
    // icon is lit unless `avecIcone` is false, and cue `son` plays.
    void afficher(const QString& titre, const QString& texte, bool avecIcone, int son);

private:
    General& g_;
    QLabel* IcoFondMessage_;
};
