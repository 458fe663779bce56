#pragma once
// The slideshow settings dialog. Its controls edit the shared slideshow values
// live, so a viewer running behind it sees each change at once; Cancel puts back
// what was in force when it was built, OK makes the values permanent when the user
// asked for the settings to be remembered.
//
// Life cycle: build one per opening and run it with exec(). Accepted and Rejected
// end its life (delete it). ReglSlid::Dossier means the user asked for the
// full-screen folder chooser: the dialog is only hidden, and the chooser runs
// exec() on the same object again afterwards, so the controls and the snapshot of
// the first opening are still there for a later Cancel.
#include "core/reglagesdiaporama.h"

#include <QColor>
#include <QDialog>
#include <QString>

class General;
class BoutonSkin;
class PanneauSkin;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QScrollBar;

class ReglSlid : public QDialog {
    Q_OBJECT
public:
    // exec() result when "Dossier" hid the dialog.
    static constexpr int Dossier = 2;

    // From the full-screen viewer, "Dossier" is there to choose the folder in its panel.
    explicit ReglSlid(General& g, QWidget* parent = nullptr, bool depuisPleinEcran = false);

    // Cancel: the six values as they were when the dialog was built.
    void reject() override;

signals:
    // "Dossier", just before the dialog hides: the viewer opens its chooser panel.
    void dossierDemande();

private:
    void creerCadre();
    void creerPause();
    void creerTaille();
    void creerTransition();
    void creerBas();
    void appliquerSchema();
    void charger(bool depuisPleinEcran);

    void choisirTaille(int mode);
    void choisirCouleur();
    void valider();
    void demanderDossier();

    QLabel* libelle(const char* nom, double g, double h, double l, double ht, const QString& texte);
    QLabel* cadre(const char* nom, double g, double h, double l, double ht);
    QLabel* afficheur(const char* nom, double g, double h, double l, double ht);
    QCheckBox* coche(const QString& nom, double g, double h);

    General& g_;
    ReglagesDiaporama instantane_; // what Cancel restores

    PanneauSkin* fond_ = nullptr;
    BoutonSkin* titre_ = nullptr;
    QList<BoutonSkin*> bandesDirectes_; // start colour first
    QList<BoutonSkin*> bandesInverses_; // end colour first
    QList<QLabel*> libelles_;
    QScrollBar* defilPause_ = nullptr;
    QLabel* txtPause_ = nullptr;
    QButtonGroup* taille_ = nullptr;
    QScrollBar* dureeTransit_ = nullptr;
    QLabel* txtTransit_ = nullptr;
    BoutonSkin* coulTransit_ = nullptr;
    QCheckBox* cocheTransit_ = nullptr;
    QCheckBox* cocheAfAl_ = nullptr;
    QCheckBox* cocheEnregistrer_ = nullptr;
    BoutonSkin* rep_ = nullptr;
    BoutonSkin* ok_ = nullptr;
    BoutonSkin* annul_ = nullptr;
    BoutonSkin* aide_ = nullptr;
};
