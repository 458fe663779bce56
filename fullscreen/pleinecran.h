#pragma once
// PleinEcran: the borderless full-screen viewer and slideshow. It shows the
// folder model's current picture fitted to the screen, steps it through the
// folder's pictures on the timer Minuterie1 or under the keys of the hidden
// list Fichier1, and runs the growing-rectangle transition on a timer.

#include "core/imageprete.h"
#include "core/sequencediaporama.h"
#include "fullscreen/passageplein.h"

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class General;
class QLabel;
class QListWidget;
class QMouseEvent;
class BoutonSkin;
class FondCommandes;
class ReglSlid;
class PanneauMessage;
class Prechargeur;
class Animation;
class ZoneImage;
class SurfaceEffet;
class InhibitionEcran;
struct RectangleEffet;

class PleinEcran : public QDialog {
    Q_OBJECT
public:
    explicit PleinEcran(General& g, QWidget* parent = nullptr,
                        OuverturePleinEcran ouverture = OuverturePleinEcran::Normale);
    ~PleinEcran() override;

    // Shows FichierCourant fitted, at once when it is ready and as soon as it
    // is otherwise; starts the transition, and the slideshow's pause once the
    // picture is on screen.
    void AfficheImage();
    // The timer step of Minuterie1.
    void etapeMinuterie();
    // Puts the picture alone, or the whole screen, on the clipboard.
    void CopierImage(bool ecranEntier);
    // The in-window message panel, with a sound cue.
    void afficherMessage(const QString& titre, const QString& texte, bool avecIcone, int son);
    // Window state from BarreTacheMasquee: full screen over the panels, or a
    // frameless screen-sized window beside them.
    void appliquerBarreTaches();

    // The steps run when the window opens or becomes active again.
    void activer();

    int IndexImage() const { return m_sequence.index(); }
    QStringList fichiers() const;
    QSize tailleEcran() const; // logical pixels
    // A screen size imposed from outside (the benchmark runs offscreen).
    void setTailleEcranForcee(QSize taille) { m_tailleForcee = taille; }
    QTimer& Minuterie1() { return m_minuterie; }
    QTimer& minuterieEffet() { return m_effet; } // one tick per step of the transition
    bool effetEnCours() const { return m_effet.isActive(); }
    // A picture has been asked for and is not on screen yet.
    bool imageEnAttente() const { return !m_attendue.isEmpty(); }
    bool sablierPose() const { return m_sablierPose; }
    Prechargeur& prechargeur() { return *m_prechargeur; }
    // The picture being shown, fitted (null when it could not be read).
    QImage imageAffichee() const;
    // The animated picture playing, when the one shown has more frames (null otherwise).
    Animation* animation() const { return m_animation.get(); }
    void setPrechargementActif(bool actif) { m_prechargementActif = actif; }
    // Opens the pop-up menu at a point; its owner installs it. Without one
    // the left click only stops the slideshow.
    // Comments: the lookup of the picture being shown, then AfficheCommentaire,
    // which shows TexteCommentaire in CommentFixe in the comment font and corner.
    // The lookup reads the comment file on the picture service's workers; until it
    // answers no comment is shown, and a newer lookup cancels it.
    void chercherCommentaire();
    bool commentaireEnAttente() const { return m_ticketCommentaire != 0; }
    void AfficheCommentaire();
    QString TexteCommentaire;
    // The font and colour dialogs for the comment; a cancel keeps what was in force.
    void changerPolice();
    // What the pop-up menu asks for, carried out by apresMenu once it has closed.
    struct Demandes {
        bool copie = false;
        bool police = false;
        bool retour = false;
        // Also true while the chooser panel is open, and, for comment editing, while it edits one.
        bool panneau = false;
        bool modeCommentaire = false;
    };
    void demanderCopie(bool ecranEntier);
    void demanderPolice() { m_demandes.police = true; }
    void demanderRetour() { m_demandes.retour = true; }
    void demanderPanneau() { m_demandes.panneau = true; }
    void demanderCommentaire() { m_demandes.modeCommentaire = true; }
    // "SlideShow": the slideshow starts at the next display, the pointer hidden.
    void demanderDiaporama() { m_lancerDiaporama = true; }
    const Demandes& demandes() const { return m_demandes; }
    void apresMenu();
    FondCommandes* panneau() { return m_fondCommandes; }
    // Opens the chooser panel, for comments when they were asked for, switching
    // transitions off while it is open.
    void ouvrirPanneau();
    // "Réglages slideshow...": the settings dialog, kept while it waits for the
    // chooser panel ("Dossier") and shown again when the panel closes.
    void ouvrirReglages();
    ReglSlid* reglages() { return m_reglSlid.get(); }
    // Whether transitions were switched off while the chooser panel is open.
    bool TransitionSuspendue = false;
    // Opened on the picture alone, until the first click closes the viewer.
    bool vueUnique() const { return m_vueUnique; }
    bool curseurMasque() const { return m_curseurMasque; }
    void setOuvreurMenu(std::function<void(PleinEcran&, QPoint)> ouvreur) { m_ouvreurMenu = std::move(ouvreur); }

signals:
    // Each ShowCursor: false hides, true shows.
    void curseurBascule(bool visible);
    void effetTermine();
    // A picture (or, for an unreadable file, the bare background) is on screen.
    void imageMontree();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;
    void reject() override;

private:
    void construire();
    void appliquerSchema();
    void listerDossier();
    int positionCourante() const;
    void allerA(int position);
    void imagePrete(const QString& chemin);
    void montrer(const ImagePrete& image);
    void animer(const ImagePrete& image);
    void remplacer(const ImagePrete& image);
    void placerImage(const ImagePrete& image);
    void suivreRatio();
    void relancerMinuterie();
    void panneauFerme(bool valide);
    void montrerTalvenor();
    bool toucheFichier1(int touche);
    void fermerParTouche();
    void sourisEnfoncee(QMouseEvent* e, bool surImage);
    void masquerCurseur();
    void montrerCurseur();
    void appliquerPointeurs();
    void demarrerEffet();
    void pasEffet();
    void arreterEffet();
    void precharger();
    QString cheminPosition(int position) const;
    ParametresAffichage parametres() const;

    General& g;
    SequenceDiaporama m_sequence;
    QString m_attendue; // the picture asked for and not shown yet
    void annulerCommentaire();
    quint64 m_ticketCommentaire = 0;
    QString m_cheminCommentaire; // the picture TexteCommentaire belongs to
    std::shared_ptr<std::atomic<bool>> m_annulationCommentaire;
    QString m_aRemplacer; // the picture on view, being decoded again for a new ratio
    QListWidget* m_fichier1 = nullptr;
    ZoneImage* m_image1 = nullptr;
    SurfaceEffet* m_picture2 = nullptr;
    PanneauMessage* m_fondMessage = nullptr;
    QLabel* m_lblMessage = nullptr;
    BoutonSkin* m_icoFondMessage = nullptr;
    BoutonSkin* m_cmdOKMsg = nullptr;
    QLabel* m_commentFixe = nullptr;
    PanneauMessage* m_fondMessageTalvenor = nullptr;
    BoutonSkin* m_cmdOKMsgTalvenor = nullptr;
    QLabel* m_lblMessageTalvenor = nullptr;
    FondCommandes* m_fondCommandes = nullptr;
    std::unique_ptr<ReglSlid> m_reglSlid;
    Demandes m_demandes;
    bool m_retourReglages = false; // the settings dialog comes back when the panel closes
    QString m_courantAOuverture;   // the picture shown when the panel opened
    QTimer m_minuterie;
    QTimer m_effet;
    std::vector<RectangleEffet> m_etapesEffet;
    size_t m_etapeEffet = 0;
    Prechargeur* m_prechargeur = nullptr;
    std::unique_ptr<Animation> m_animation;
    InhibitionEcran* m_inhibition = nullptr;
    bool m_lancerDiaporama;
    bool m_vueUnique;
    bool m_curseurMasque = false; // one show for each hide
    bool m_imageVisible = false;
    bool m_attenteImage1 = false;
    bool m_sablierPose = false;
    int m_rouletteCumul = 0; // eighths of a degree not yet turned into a step
    bool m_prechargementActif = true;
    QSize m_tailleForcee;
    std::function<void(PleinEcran&, QPoint)> m_ouvreurMenu;
};
