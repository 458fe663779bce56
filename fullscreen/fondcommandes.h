#pragma once
// FondCommandes: the panel centred over the full-screen picture on which the
// user changes folder and picks the picture to show, or, in comment mode, the
// picture to write a comment for. It changes folder and picture through the
// folder model only; the viewer follows the model. Its own lists come from a
// folder model of its own, listed off the interface thread: a folder that does
// not answer leaves the panel as it was, never frozen.
#include "app/skin.h"
#include "core/modeledossier.h"
#include "platform/lecteurs.h"

#include <QRectF>
#include <functional>
#include <memory>

class General;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class ZoneImage;
class Animation;

class FondCommandes : public PanneauSkin {
    Q_OBJECT
public:
    FondCommandes(General& g, QWidget* parent);
    ~FondCommandes() override;

    // Size, caption and the comment controls for the mode, centred on `ecran` (pixels).
    void preparer(bool modeCommentaire, QSize ecran);
    // The folder shown in Dir1 and File1.
    QString dossier() const { return dossier_; }
    // A folder asked for whose listing has not come yet.
    bool listageEnCours() const { return attente_ != Attente::Aucune; }
    // Where the preview sits in twips, once decoded; empty while hidden.
    QRectF apercuTwips() const { return apercuTwips_; }
    bool apercuVisible() const;
    // The animated preview playing, if any.
    Animation* animation() const { return animation_.get(); }
    void appliquerSchema();
    // Where Drive1's drives come from (the mounted volumes unless replaced).
    void setListeLecteurs(std::function<QList<Lecteur>()> lister) { listerLecteurs_ = std::move(lister); }

protected:
    void hideEvent(QHideEvent* e) override;

signals:
    // OK and Cancel: the viewer restores transitions, then shows the picture.
    void ferme(bool valide);
    // A line for the viewer's message panel (title, text, icon, cue).
    void message(const QString& titre, const QString& texte, bool avecIcone, int son);
    // CmdTalvenor: the maker's information panel.
    void talvenor();

private:
    void construire();
    void construireCommentaire();
    // Who asked for the listing under way: a failed drive asks Retry or Cancel.
    enum class Attente { Aucune, Dossier, Lecteur };
    void changerLecteur(int index);
    void changerDossier(const QString& dossier, Attente attente = Attente::Dossier);
    void listeRecue();
    void echecLecteur();
    void remplirDossiers(bool nouvelle);
    void remplirFichiers();
    void activerDossier(QListWidgetItem* item);
    void choisirFichier(QListWidgetItem* item);
    void ApercuImage();
    void remettreApercu(bool vider);
    void valider();
    void annuler();
    void sortir();
    void enregistrer();
    void voirFichier();
    void texteModifie();
    QString cheminChoisi() const;

    General& g_;
    QList<Lecteur> lecteurs_;
    std::function<QList<Lecteur>()> listerLecteurs_ = listerLecteurs;
    ModeleDossier modele_;
    Attente attente_ = Attente::Aucune;
    int lecteurDemande_ = -1;
    QString dossier_;
    QString dossierLecteurInitial_;
    bool modeCommentaire_ = false;
    QComboBox* drive1_ = nullptr;
    QListWidget* dir1_ = nullptr;
    QListWidget* file1_ = nullptr;
    ZoneImage* image2_ = nullptr;
    QLabel* lblApercu_ = nullptr;
    QCheckBox* cocheApercu_ = nullptr;
    BoutonSkin* cmdAide_ = nullptr;
    BoutonSkin* cmdOK_ = nullptr;
    BoutonSkin* cmdAnnul_ = nullptr;
    BoutonSkin* cmdTalvenor_ = nullptr;
    QLabel* lblComment_ = nullptr;
    QPlainTextEdit* text1_ = nullptr;
    BoutonSkin* cmdEnregistrer_ = nullptr;
    BoutonSkin* cmdVoirFichier_ = nullptr;
    BoutonSkin* cmdSortir_ = nullptr;
    QRectF apercuTwips_;
    quint64 ticketApercu_ = 0;
    std::unique_ptr<Animation> animation_;
};
