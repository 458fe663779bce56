#include "fullscreen/pleinecran.h"

#include "app/general.h"
#include "app/panneaumessage.h"
#include "app/ratiopixels.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "core/animation.h"
#include "dialogs/reglslid.h"
#include "fullscreen/effetcarre.h"
#include "fullscreen/fondcommandes.h"
#include "fullscreen/inhibitionecran.h"
#include "core/prechargeur.h"
#include "fullscreen/surfaces.h"
#include "platform/fenetrage.h"
#include "platform/nomsfichiers.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>

PleinEcran::PleinEcran(General& general, QWidget* parent, OuverturePleinEcran ouverture)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      g(general),
      m_lancerDiaporama(ouverture == OuverturePleinEcran::Diaporama),
      m_vueUnique(ouverture == OuverturePleinEcran::VueUnique)
{
    setObjectName(QStringLiteral("PleinEcran"));
    setAutoFillBackground(true);
    m_minuterie.setObjectName(QStringLiteral("Minuterie1"));
    m_minuterie.setTimerType(Qt::CoarseTimer);
    connect(&m_minuterie, &QTimer::timeout, this, &PleinEcran::etapeMinuterie);
    m_effet.setTimerType(Qt::PreciseTimer);
    connect(&m_effet, &QTimer::timeout, this, &PleinEcran::pasEffet);
    m_prechargeur = new Prechargeur(g.images, 64 * 1024 * 1024, this);
    m_prechargeur->setIdentites([this](const QString& chemin) { return g.modele.identite(chemin); });
    connect(m_prechargeur, &Prechargeur::pret, this, &PleinEcran::imagePrete);
    // A listing may arrive after the viewer opened on its folder.
    connect(&g.modele, &ModeleDossier::listeChangee, this, &PleinEcran::listerDossier);
    m_inhibition = new InhibitionEcran(this);
    connect(new SuiviRatio(this), &SuiviRatio::ratioChange, this, &PleinEcran::suivreRatio);
    construire();
    appliquerSchema();
}

PleinEcran::~PleinEcran()
{
    annulerCommentaire(); // its answer would reach a viewer that is gone
    // Closed with the chooser panel open: its state ends here, and transitions
    // it had switched off come back for the next viewer.
    if (TransitionSuspendue)
        g.diaporama.effetTransition = true;
    if (m_curseurMasque) // one show for each hide, even when torn down
        montrerCurseur();
}

void PleinEcran::construire()
{
    m_image1 = new ZoneImage(this);
    m_image1->hide();
    connect(m_image1, &ZoneImage::sourisEnfoncee, this, [this](QMouseEvent* e) { sourisEnfoncee(e, true); });
    m_picture2 = new SurfaceEffet(this);

    // Off the screen's left edge: unseen, but it keeps the keyboard focus.
    m_fichier1 = new QListWidget(this);
    m_fichier1->setObjectName(QStringLiteral("Fichier1"));
    m_fichier1->setGeometry(twips::rect(-2200, 0, 1800, 3000));
    m_fichier1->installEventFilter(this);

    m_commentFixe = new QLabel(this);
    m_commentFixe->setObjectName(QStringLiteral("CommentFixe"));
    m_commentFixe->setAttribute(Qt::WA_TransparentForMouseEvents); // a click on it is a click on the picture
    m_commentFixe->hide();

    m_fondCommandes = new FondCommandes(g, this);
    connect(m_fondCommandes, &FondCommandes::ferme, this, &PleinEcran::panneauFerme);
    connect(m_fondCommandes, &FondCommandes::message, this, &PleinEcran::afficherMessage);
    connect(m_fondCommandes, &FondCommandes::talvenor, this, &PleinEcran::montrerTalvenor);

    m_fondMessageTalvenor = new PanneauMessage(this, QStringLiteral("FondMessageTalvenor"), QStringLiteral("Talvenor"),
                                               {6600, 1900}, {240, 420, 6120, 900}, {5280, 1380, 1140, 390});
    m_lblMessageTalvenor = m_fondMessageTalvenor->texte();
    m_lblMessageTalvenor->setObjectName(QStringLiteral("LblMessageTalvenor"));
    m_fondMessageTalvenor->setTexte(
        QStringLiteral("Ormelle est conçu et entretenu par Talvenor, qui vous remercie de l’utiliser.\n"
                       "Dorvik et Quelvio, du même auteur, l’accompagnent pour visionner vos images."));
    m_cmdOKMsgTalvenor = m_fondMessageTalvenor->bouton();
    m_cmdOKMsgTalvenor->setObjectName(QStringLiteral("CmdOKMsgTalvenor"));
    connect(m_cmdOKMsgTalvenor, &QAbstractButton::clicked, m_fondMessageTalvenor, &QWidget::hide);
    m_fondMessageTalvenor->hide();

    m_fondMessage = new PanneauMessage(this, QStringLiteral("FondMessage"), QString(), {6600, 1900},
                                       {840, 420, 5580, 900}, {5280, 1380, 1140, 390});
    m_fondMessage->move(twips::px(720), twips::px(2220));
    m_icoFondMessage = new BoutonSkin(m_fondMessage, QStringLiteral("IcoFondMessage"));
    m_icoFondMessage->setIconeSvg(QStringLiteral(":/icones/exclam.svg"));
    m_icoFondMessage->setBande(true);
    m_icoFondMessage->setGeometry(twips::rect(120, 420, 600, 600));
    m_lblMessage = m_fondMessage->texte();
    m_lblMessage->setObjectName(QStringLiteral("LblMessage"));
    m_cmdOKMsg = m_fondMessage->bouton();
    m_cmdOKMsg->setObjectName(QStringLiteral("CmdOKMsg"));
    connect(m_cmdOKMsg, &QAbstractButton::clicked, m_fondMessage, &QWidget::hide);
    m_fondMessage->hide();
    // Their captions, in the buttons' text colour, stand on a band of the gradient's
    // light end: over its start they would not show.
    m_fondMessage->setBandeauTitre(true);
    m_fondMessageTalvenor->setBandeauTitre(true);
    m_fichier1->setFocus();
}

void PleinEcran::appliquerSchema()
{
    const QColor debut = g.couleur(Role::DebutDegrade), fin = g.couleur(Role::FinDegrade);
    m_fondMessage->setDegrade(debut, fin);
    m_fondMessage->setCouleurTexte(g.couleur(Role::TexteBoutons));
    m_cmdOKMsg->setCouleurTexte(g.couleur(Role::TexteBoutons));
    m_cmdOKMsg->setCouleurLumiere(g.couleur(Role::Lumiere));
    m_fondMessageTalvenor->setDegrade(debut, fin);
    m_fondMessageTalvenor->setCouleurTexte(g.couleur(Role::TexteBoutons));
    m_cmdOKMsgTalvenor->setCouleurTexte(g.couleur(Role::TexteBoutons));
    m_cmdOKMsgTalvenor->setCouleurLumiere(g.couleur(Role::Lumiere));
    peindreLibelle(m_lblMessageTalvenor, g.couleur(Role::AutresTextes));
    m_icoFondMessage->setDegrade(debut, fin);
    peindreLibelle(m_lblMessage, g.couleur(Role::AutresTextes));
    peindreFondWidget(m_fichier1, g.couleur(Role::Visualisation), g.couleur(Role::AutresTextes));
    // Replaced by CouleurFond at the first display.
    peindreFondWidget(this, g.couleur(Role::FondFenetres));
}

QSize PleinEcran::tailleEcran() const
{
    if (m_tailleForcee.isValid())
        return m_tailleForcee;
    const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    return ecran ? ecran->geometry().size() : QSize(800, 600);
}

ParametresAffichage PleinEcran::parametres() const
{
    ParametresAffichage p;
    p.ecran = tailleEcran();
    p.ratioPixels = devicePixelRatioF();
    const std::optional<ajustement::Mode> mode = g.diaporama.adaptation();
    p.mode = mode ? int(*mode) : -1; // none: placed as not fitted
    p.fond = g.CouleurFond;
    return p;
}

void PleinEcran::appliquerBarreTaches()
{
    const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (g.BarreTacheMasquee) {
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        if (ecran)
            setGeometry(ecran->geometry());
    }
}

void PleinEcran::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    if (windowHandle())
        windowHandle()->installEventFilter(this); // the compositor's word on the window's state
    m_inhibition->activer(QStringLiteral("Diaporama en cours"));
    activer();
}

void PleinEcran::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (e->spontaneous())
        return;
    m_animation.reset();
    m_minuterie.stop();
    arreterEffet();
    m_inhibition->liberer();
}

void PleinEcran::activer()
{
    m_sequence.setIndex(0);
    listerDossier();
    const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (m_tailleForcee.isValid())
        setGeometry(QRect(QPoint(0, 0), m_tailleForcee));
    else if (ecran && !isFullScreen())
        setGeometry(ecran->geometry());
    m_fichier1->setFocus();
    if (g.commentaire.affiche)
        chercherCommentaire();
    AfficheImage();
}

// Fichier1 mirrors the folder's pictures only to hold the keyboard: the keys
// move the folder model's current picture, never the list's own selection.
void PleinEcran::listerDossier()
{
    const QStringList& images = g.modele.images();
    m_sequence.setNombre(int(images.size()));
    const QSignalBlocker silence(m_fichier1);
    m_fichier1->clear();
    for (const QString& nom : images)
        m_fichier1->addItem(texteAffichable(nom));
    m_fichier1->setCurrentRow(positionCourante());
}

int PleinEcran::positionCourante() const
{
    if (g.modele.chemin(g.NomFichierCourant()) != g.FichierCourant())
        return -1;
    return int(g.modele.images().indexOf(g.NomFichierCourant()));
}

QString PleinEcran::cheminPosition(int position) const
{
    return g.modele.chemin(g.modele.images().value(position));
}

void PleinEcran::allerA(int position)
{
    g.modele.setFichierCourant(cheminPosition(position));
    const QSignalBlocker silence(m_fichier1);
    m_fichier1->setCurrentRow(position);
    if (g.commentaire.affiche) // every step, by keys or by the timer, looks up its own comment
        chercherCommentaire();
    AfficheImage();
}

void PleinEcran::AfficheImage()
{
    if (m_lancerDiaporama) {
        m_lancerDiaporama = false;
        masquerCurseur();
        g.DiaporamaEnCours = true;
    }
    // The pause counts from the moment the picture (and its transition) is on screen.
    m_minuterie.stop();
    m_attenteImage1 = g.DiaporamaEnCours;
    appliquerPointeurs();

    // One display at a time: the newest request replaces a running effect, and
    // the frames of the picture before stop here.
    arreterEffet();
    m_animation.reset();
    // A palette change ripples through every child: only when it differs.
    if (palette().color(QPalette::Window) != g.CouleurFond)
        peindreFondWidget(this, g.CouleurFond);
    m_prechargeur->setParametres(parametres());
    m_attendue = g.FichierCourant();
    m_aRemplacer.clear();
    ImagePrete image;
    if (m_prechargeur->obtenir(m_attendue, &image)) {
        montrer(image);
    } else {
        // Not decoded yet: the background until it is (imagePrete).
        m_image1->hide();
        m_image1->setImage(QImage());
        m_imageVisible = false;
    }
    // Once this picture has been asked for: the prefetch must not overtake it.
    QMetaObject::invokeMethod(this, &PleinEcran::precharger, Qt::QueuedConnection);
}

void PleinEcran::imagePrete(const QString& chemin)
{
    ImagePrete image;
    if (chemin == m_attendue && m_prechargeur->obtenir(chemin, &image))
        montrer(image);
    else if (chemin == m_aRemplacer && m_prechargeur->obtenir(chemin, &image))
        remplacer(image);
}

// The viewer now covers a screen of another ratio (or size): what was decoded for
// the old one goes, and the picture on view is decoded again and swapped in place,
// with no transition and no new pause; one still awaited is asked for anew.
void PleinEcran::suivreRatio()
{
    if (!isVisible() || (!m_imageVisible && m_attendue.isEmpty()))
        return;
    m_prechargeur->setParametres(parametres());
    ImagePrete image;
    if (!m_attendue.isEmpty()) {
        if (m_prechargeur->obtenir(m_attendue, &image))
            montrer(image);
    } else {
        m_aRemplacer = g.FichierCourant();
        if (m_prechargeur->obtenir(m_aRemplacer, &image))
            remplacer(image);
    }
    QMetaObject::invokeMethod(this, &PleinEcran::precharger, Qt::QueuedConnection);
}

void PleinEcran::remplacer(const ImagePrete& image)
{
    m_aRemplacer.clear();
    if (!image.ok() || !m_imageVisible)
        return;
    placerImage(image);
    animer(image); // frames at the new ratio, from the first
}

void PleinEcran::placerImage(const ImagePrete& image)
{
    const QRectF r = image.rectTwips;
    m_image1->setGeometry(QRect(twips::px(r.left()), twips::px(r.top()),
                                int(std::lround(image.image.width() / image.image.devicePixelRatio())),
                                int(std::lround(image.image.height() / image.image.devicePixelRatio()))));
    m_image1->setImage(image.image);
}

void PleinEcran::montrer(const ImagePrete& image)
{
    m_attendue.clear();
    m_aRemplacer.clear();
    if (image.ok()) {
        placerImage(image);
        m_image1->show();
        m_imageVisible = true;
        animer(image);
        if (g.diaporama.effetTransition) {
            demarrerEffet();
            emit imageMontree();
            return; // the pause starts when the effect ends
        }
    } else {
        m_image1->hide();
        m_image1->setImage(QImage());
        m_imageVisible = false;
    }
    relancerMinuterie();
    emit imageMontree();
}

// The frames after the first play on their own clock; the slideshow's pause
// does not wait for them.
void PleinEcran::animer(const ImagePrete& image)
{
    m_animation.reset();
    if (!image.animable)
        return;
    m_animation = std::make_unique<Animation>(g.images, *g.horloge,
                                              demandeEcran(image.chemin, m_prechargeur->parametres()), image);
    connect(m_animation.get(), &Animation::imageDue, m_image1, &ZoneImage::setImage);
}

void PleinEcran::relancerMinuterie()
{
    if (g.DiaporamaEnCours)
        m_minuterie.start(std::clamp(g.diaporama.dureePause, 1, 60) * 1000);
}

QImage PleinEcran::imageAffichee() const
{
    return m_imageVisible ? m_image1->image() : QImage();
}

void PleinEcran::precharger()
{
    const int n = int(g.modele.images().size());
    if (!m_prechargementActif || n == 0)
        return;
    QStringList voulus;
    m_sequence.setAleatoire(g.diaporama.ordreAleatoire); // the draw made ahead is the one the step takes
    if (g.DiaporamaEnCours) {
        for (const std::optional<int>& p : {m_sequence.prochaineEtape(), m_sequence.etapeSuivante()})
            if (p)
                voulus << cheminPosition(*p);
    } else {
        const int ligne = positionCourante();
        voulus << cheminPosition(navigation::suivant(ligne, n)) << cheminPosition(navigation::precedent(ligne, n));
    }
    voulus.removeAll(g.FichierCourant());
    voulus.removeDuplicates();
    m_prechargeur->precharger(voulus);
}

void PleinEcran::demarrerEffet()
{
    m_picture2->setGeometry(m_image1->geometry());
    m_picture2->preparer(g.CouleurFond, g.diaporama.couleurTransition());
    m_etapesEffet = EffetCarre(twips::depuisPx(m_image1->width()), twips::depuisPx(m_image1->height()), 100);
    m_etapeEffet = 0;
    m_picture2->raise();
    m_picture2->show();
    m_effet.start(std::clamp(g.diaporama.dureeTransition, 1, 100));
}

void PleinEcran::pasEffet()
{
    if (m_etapeEffet < m_etapesEffet.size()) {
        m_picture2->setRectangle(&m_etapesEffet[m_etapeEffet++]);
        return;
    }
    // The covering rectangle has been seen for one step: the picture shows.
    arreterEffet();
    relancerMinuterie();
    emit effetTermine();
}

void PleinEcran::arreterEffet()
{
    m_effet.stop();
    m_picture2->hide();
    m_picture2->setRectangle(nullptr);
}

void PleinEcran::afficherMessage(const QString& titre, const QString& texte, bool avecIcone, int son)
{
    // A comment being typed keeps the keys: its length warning comes at each key, and a
    // space typed must not close it.
    auto* saisie = qobject_cast<QPlainTextEdit*>(focusWidget());
    m_icoFondMessage->setEnabled(avecIcone);
    m_fondMessage->move(twips::px(720), twips::px(2220));
    m_fondMessage->setTitre(titre);
    m_fondMessage->setTexte(texte);
    JouerSon(g, son);
    m_fondMessage->raise();
    m_fondMessage->show(); // takes the focus, and gives it back when closed
    if (saisie)
        saisie->setFocus();
    else
        m_fondMessage->setFocus(); // a second message over the first
}

void PleinEcran::montrerTalvenor()
{
    const QSize ecran = tailleEcran();
    m_fondMessageTalvenor->ajuster(ecran.height());
    m_fondMessageTalvenor->move((ecran.width() - m_fondMessageTalvenor->width()) / 2,
                                (ecran.height() - m_fondMessageTalvenor->height()) / 2);
    m_fondMessageTalvenor->raise();
    m_fondMessageTalvenor->show();
}
