#pragma once
// The rename panel RenommerFile: the current name, the new name typed below it, OK
// and Cancel. It keeps the path it was filled for: what it shows is what it asks to
// rename, whatever is selected by then. Return in the new name confirms, as OK does;
// Escape cancels, as Cancel does.
#include "app/skin.h"

class General;
class QLabel;
class QLineEdit;

class PanneauRenommer : public PanneauSkin {
    Q_OBJECT
public:
    PanneauRenommer(General& g, QWidget* fenetre);

    // Fills the panel for `chemin` and shows it; `prendreFocus`: the new name is typed at once.
    void ouvrir(const QString& chemin, bool prendreFocus);
    // Hides the panel and forgets the path it was filled for.
    void fermer();
    QString chemin() const { return chemin_; }

signals:
    // Confirmed with a name other than the current one.
    void renommage(const QString& chemin, const QString& nouveauNom);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void confirmer();

    QString chemin_;
    QLabel* AncNom_;
    QLineEdit* NouvNom_;
    BoutonSkin* CmdRenOK_;
    BoutonSkin* CmdRenAnul_;
};
