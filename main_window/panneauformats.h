#pragma once
// The format panel FondTypExt: a button for each pattern the file list can show,
// and "Autre..." for an extension the user types. What a choice does to the folder
// is the browser's; the panel says which was chosen.
#include "app/skin.h"

#include <QList>
#include <optional>

class General;

class PanneauFormats : public PanneauSkin {
    Q_OBJECT
public:
    // The captions of a pattern: on CmdTypExt, and on the thumbnail page's CmdVTypExt.
    struct Legendes {
        QString typExt;
        QString v;
    };

    PanneauFormats(General& g, QWidget* fenetre);

    // CmdTypExt's click: shown at its place with the focus, or hidden. Escape hides it.
    void basculer();
    // Shown at its place, with the focus.
    void montrer();
    void appliquerCouleurs();
    // The captions of one of the panel's patterns; none for an extension typed after "Autre...".
    static std::optional<Legendes> legendes(const QString& motif);

signals:
    void formatChoisi(const QString& motif, const QString& legende, const QString& legendeV);
    void autreDemande();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    General& g_;
    QList<BoutonSkin*> boutons_;
};
