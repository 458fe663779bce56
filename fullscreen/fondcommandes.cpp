#include "fullscreen/fondcommandes.h"

#include "app/general.h"
#include "app/ratiopixels.h"
#include "app/services.h"
#include "core/twips.h"
#include "core/animation.h"
#include "core/commentaires.h"
#include "core/imageprete.h"
#include "fullscreen/surfaces.h"
#include "platform/nomsfichiers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <utility>

namespace {
const QString MotifFile1 = QStringLiteral("*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf");
const QRectF BoiteApercu(5820, 480, 2340, 1755);

QRect enPixels(const QRectF& r)
{
    return twips::rect(r.left(), r.top(), r.width(), r.height());
}
constexpr int HauteurDossier = 3375;
// The comment box shows three lines (a one-line box showed only the caret's line,
// often an empty one); the buttons and the panel's foot move down as much.
constexpr int LignesCommentaire = 480;
constexpr int HauteurCommentaire = 5055 + LignesCommentaire;
constexpr int Largeur = 8415;

// F8 on Dir1 reads the folder again.
class FiltreF8 : public QObject {
public:
    FiltreF8(QObject* parent, std::function<void()> relire) : QObject(parent), relire_(std::move(relire)) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F8) {
            relire_();
            return true;
        }
        return false;
    }

private:
    std::function<void()> relire_;
};

BoutonSkin* bouton(QWidget* parent, const char* nom, const QString& texte, const QRect& r, const QString& bulle,
                   const bool* infoBulles)
{
    auto* b = new BoutonSkin(parent, QString::fromLatin1(nom), texte);
    b->setGeometry(r);
    b->setInfoBulle(bulle, infoBulles);
    return b;
}
} // namespace

FondCommandes::FondCommandes(General& g, QWidget* parent) : PanneauSkin(parent, QStringLiteral("FondCommandes")), g_(g)
{
    modele_.setMotif(MotifFile1);
    connect(&modele_, &ModeleDossier::listeChangee, this, &FondCommandes::listeRecue);
    construire();
    construireCommentaire();
    appliquerSchema();
    hide();
    // On a screen of another ratio, the preview is decoded again at its pixels.
    connect(new SuiviRatio(this), &SuiviRatio::ratioChange, this, [this] {
        if (ticketApercu_ || apercuVisible())
            ApercuImage();
    });
}

FondCommandes::~FondCommandes()
{
    if (ticketApercu_)
        g_.images.annuler(ticketApercu_);
}

void FondCommandes::construire()
{
    drive1_ = new QComboBox(this);
    drive1_->setObjectName(QStringLiteral("Drive1"));
    drive1_->setGeometry(twips::rect(180, 480, 2715, 315));
    dir1_ = new QListWidget(this);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    dir1_->setGeometry(twips::rect(180, 960, 2715, 2115));
    dir1_->installEventFilter(new FiltreF8(this, [this] { changerDossier(dossier_); }));
    file1_ = new QListWidget(this);
    file1_->setObjectName(QStringLiteral("File1"));
    file1_->setGeometry(twips::rect(3000, 480, 2715, 2625));
    image2_ = new ZoneImage(this);
    image2_->setObjectName(QStringLiteral("Image2"));
    image2_->setGeometry(enPixels(BoiteApercu));
    lblApercu_ = new QLabel(QStringLiteral("Aperçu de l'image"), this);
    lblApercu_->setObjectName(QStringLiteral("LblApercu"));
    lblApercu_->setGeometry(twips::rect(6120, 2400, 1770, 195));
    cocheApercu_ = new QCheckBox(this);
    cocheApercu_->setObjectName(QStringLiteral("CocheApercu"));
    cocheApercu_->setGeometry(twips::rect(7920, 2400, 195, 195));
    cocheApercu_->setChecked(true);

    const bool* bulles = &g_.InfoBulles;
    cmdAide_ = bouton(this, "CmdAide", QStringLiteral("?"), twips::rect(5820, 2700, 600, 480),
                      QStringLiteral("Appel de la rubrique d'aide"), bulles);
    cmdOK_ = bouton(this, "CmdOK", QStringLiteral("OK"), twips::rect(6660, 2700, 600, 480),
                    QStringLiteral("Enregistre le chemin de l'image et l'affiche"), bulles);
    cmdAnnul_ = bouton(this, "CmdAnnul", QStringLiteral("X"), twips::rect(7560, 2700, 600, 480),
                       QStringLiteral("Annuler"), bulles);
    cmdTalvenor_ =
        bouton(this, "CmdTalvenor", QStringLiteral("Talvenor"), twips::rect(6510, 2700, 1635, 495), QString(), bulles);
    cmdTalvenor_->hide();

    connect(drive1_, qOverload<int>(&QComboBox::activated), this, &FondCommandes::changerLecteur);
    connect(dir1_, &QListWidget::itemActivated, this, &FondCommandes::activerDossier);
    connect(file1_, &QListWidget::itemClicked, this, &FondCommandes::choisirFichier);
    connect(cocheApercu_, &QCheckBox::clicked, this, [this](bool coche) {
        if (coche && !g_.FichierCourant().isEmpty() && cmdOK_->isEnabled())
            ApercuImage();
        else
            remettreApercu(true);
    });
    connect(cmdOK_, &QAbstractButton::clicked, this, &FondCommandes::valider);
    connect(cmdAnnul_, &QAbstractButton::clicked, this, &FondCommandes::annuler);
    connect(cmdAide_, &QAbstractButton::clicked, this, [this] {
        OuvrirAide(g_, modeCommentaire_ ? QStringLiteral("creation_du_commentaire.htm")
                                        : QStringLiteral("choix_du_dossier.htm"));
    });
    connect(cmdTalvenor_, &QAbstractButton::clicked, this, &FondCommandes::talvenor);
}

void FondCommandes::construireCommentaire()
{
    lblComment_ = new QLabel(QStringLiteral("Tapez ci-dessous le commentaire à associer à l'image sélectionnée "
                                            "puis cliquez sur 'Enregistrer'"),
                             this);
    lblComment_->setObjectName(QStringLiteral("LblComment"));
    lblComment_->setWordWrap(true);
    lblComment_->setGeometry(twips::rect(120, 3360, 7995, 525));
    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twips::rect(120, 3900, 7995, 285 + LignesCommentaire));
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text1_->document()->setDocumentMargin(2);
    const bool* bulles = &g_.InfoBulles;
    cmdEnregistrer_ =
        bouton(this, "CmdEnregistrer", QStringLiteral("Enr."), twips::rect(3060, 4380 + LignesCommentaire, 600, 480),
               QStringLiteral("Enregistrer le commentaire"), bulles);
    cmdVoirFichier_ =
        bouton(this, "CmdVoirFichier", QStringLiteral("Voir"), twips::rect(3900, 4380 + LignesCommentaire, 600, 480),
               QStringLiteral("Voir le fichier"), bulles);
    cmdSortir_ = bouton(this, "CmdSortir", QStringLiteral("Sortir"),
                        twips::rect(4740, 4380 + LignesCommentaire, 600, 480), QStringLiteral("Sortir"), bulles);
    connect(text1_, &QPlainTextEdit::textChanged, this, &FondCommandes::texteModifie);
    connect(cmdEnregistrer_, &QAbstractButton::clicked, this, &FondCommandes::enregistrer);
    connect(cmdVoirFichier_, &QAbstractButton::clicked, this, &FondCommandes::voirFichier);
    connect(cmdSortir_, &QAbstractButton::clicked, this, &FondCommandes::sortir);
}

void FondCommandes::appliquerSchema()
{
    setDegrade(g_.couleur(Role::DebutDegrade), g_.couleur(Role::FinDegrade));
    setCouleurTexte(g_.couleur(Role::AutresTextes));
    for (BoutonSkin* b : {cmdAide_, cmdOK_, cmdAnnul_, cmdTalvenor_, cmdEnregistrer_, cmdVoirFichier_, cmdSortir_}) {
        b->setDegrade(g_.couleur(Role::DebutDegrade), g_.couleur(Role::FinDegrade));
        b->setCouleurTexte(g_.couleur(Role::TexteBoutons));
        b->setCouleurLumiere(g_.couleur(Role::Lumiere));
    }
    // The tick box too: in the viewer's palette it would be black on black.
    for (QWidget* w : std::initializer_list<QWidget*>{drive1_, dir1_, file1_, text1_, cocheApercu_})
        peindreFondWidget(w, g_.couleur(Role::Visualisation), g_.couleur(Role::AutresTextes));
    peindreLibelle(lblApercu_, g_.couleur(Role::AutresTextes));
    peindreLibelle(lblComment_, g_.couleur(Role::AutresTextes));
}

void FondCommandes::preparer(bool modeCommentaire, QSize ecran)
{
    modeCommentaire_ = modeCommentaire;
    const int hauteur = modeCommentaire ? HauteurCommentaire : HauteurDossier;
    setTitre(modeCommentaire ? QStringLiteral("Créer un commentaire et l'associer à une image")
                             : QStringLiteral("Choix du dossier d'images / Choix d'une image"));
    resize(twips::px(Largeur), twips::px(hauteur));
    move((ecran.width() - width()) / 2, (ecran.height() - height()) / 2);
    cmdTalvenor_->setVisible(modeCommentaire);
    if (modeCommentaire)
        cmdTalvenor_->raise();
    // OK waits for a file clicked in this opening of the panel; until then no
    // preview stands for a choice not made yet.
    cmdOK_->setEnabled(false);
    remettreApercu(true);
    image2_->hide();
    cmdEnregistrer_->setEnabled(false);
    dossierLecteurInitial_ = g_.DossierLecteur;
    lecteurs_ = listerLecteurs_();
    {
        const QSignalBlocker silence(drive1_);
        drive1_->clear();
        for (const Lecteur& l : lecteurs_)
            drive1_->addItem(l.libelle);
    }
    changerDossier(g_.DossierCourant().isEmpty() ? QDir::homePath() : g_.DossierCourant());
}

void FondCommandes::changerLecteur(int index)
{
    if (index < 0 || index >= lecteurs_.size())
        return;
    lecteurDemande_ = index;
    changerDossier(lecteurs_[index].racine, Attente::Lecteur);
}

// A drive with no medium: Retry lists it again, Cancel puts back the drive in use.
void FondCommandes::echecLecteur()
{
    const QMessageBox::StandardButton r = g_.services.questionSysteme(
        this, QMessageBox::Warning, g_.TitreProgramme, modele_.erreur(), QMessageBox::Retry | QMessageBox::Cancel);
    if (r == QMessageBox::Retry && lecteurDemande_ >= 0 && lecteurDemande_ < lecteurs_.size()) {
        changerDossier(lecteurs_[lecteurDemande_].racine, Attente::Lecteur);
        return;
    }
    const QSignalBlocker silence(drive1_);
    drive1_->setCurrentIndex(lecteurDe(lecteurs_, dossier_));
}

// The lists change when the folder's listing comes, off the interface thread.
void FondCommandes::changerDossier(const QString& dossier, Attente attente)
{
    attente_ = attente;
    const QString voulu = normaliserDossier(dossier);
    if (voulu == modele_.dossier())
        modele_.relire();
    else
        modele_.ouvrir(voulu);
}

void FondCommandes::listeRecue()
{
    const Attente attente = std::exchange(attente_, Attente::Aucune);
    if (!modele_.erreur().isEmpty()) {
        if (attente == Attente::Lecteur)
            echecLecteur();
        return; // a failure leaves the lists as they were
    }
    // Listed again on its own (another program changed the folder): what was
    // picked stays picked.
    const bool nouvelle = attente != Attente::Aucune;
    if (!nouvelle && modele_.dossier() != dossier_)
        return;
    dossier_ = modele_.dossier();
    {
        const QSignalBlocker silence(drive1_);
        drive1_->setCurrentIndex(lecteurDe(lecteurs_, dossier_));
    }
    remplirDossiers(nouvelle);
    if (attente == Attente::Lecteur)
        g_.DossierLecteur = dossier_;
    // The viewer's list follows at once, through the model.
    if (nouvelle && g_.DossierCourant() != dossier_)
        g_.modele.ouvrir(dossier_);
}

void FondCommandes::remplirDossiers(bool nouvelle)
{
    const QListWidgetItem* pris = file1_->currentItem();
    const QString nomPris = !nouvelle && pris ? pris->data(Qt::UserRole).toString() : QString();
    dir1_->clear();
    // As the main window's folder list: the way down from the root, indented,
    // the current folder picked, then its subfolders one step further in.
    QStringList chemin;
    for (QString d = dossier_;; d = QFileInfo(d).path()) {
        chemin.prepend(d);
        if (d == QLatin1String("/") || d == QFileInfo(d).path())
            break;
    }
    const auto ajouter = [this](const QString& dossier, qsizetype profondeur) {
        const QString nom = dossier == QLatin1String("/") ? dossier : dossier.section(QLatin1Char('/'), -1);
        auto* item = new QListWidgetItem(QString(profondeur * 2, QLatin1Char(' ')) + texteAffichable(nom), dir1_);
        item->setData(Qt::UserRole, dossier);
        return item;
    };
    for (qsizetype i = 0; i < chemin.size(); ++i)
        dir1_->setCurrentItem(ajouter(chemin[i], i));
    for (const QString& nom : modele_.sousDossiers())
        ajouter(joindreChemin(dossier_, nom), chemin.size());
    file1_->clear();
    // A comment is saved for a picture of the list shown: none is picked in a new one.
    bool reste = false;
    for (const QString& nom : modele_.fichiers()) {
        auto* item = new QListWidgetItem(texteAffichable(nom), file1_);
        item->setData(Qt::UserRole, nom);
        if (!nomPris.isEmpty() && nom == nomPris) {
            file1_->setCurrentItem(item);
            reste = true;
        }
    }
    if (!reste)
        cmdEnregistrer_->setEnabled(false);
}

void FondCommandes::activerDossier(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString dossier = item->data(Qt::UserRole).toString();
    if (dossier != dossier_)
        changerDossier(dossier);
}

QString FondCommandes::cheminChoisi() const
{
    const QListWidgetItem* item = file1_->currentItem();
    return item ? joindreChemin(dossier_, item->data(Qt::UserRole).toString()) : QString();
}

void FondCommandes::choisirFichier(QListWidgetItem* item)
{
    if (!item)
        return;
    file1_->setCurrentItem(item);
    g_.modele.setFichierCourant(cheminChoisi());
    cmdOK_->setEnabled(true);
    cmdEnregistrer_->setEnabled(true);
    if (cocheApercu_->isChecked())
        ApercuImage();
    else
        remettreApercu(false);
}

void FondCommandes::ApercuImage()
{
    image2_->hide();
    apercuTwips_ = QRectF();
    animation_.reset();
    if (ticketApercu_)
        g_.images.annuler(ticketApercu_);
    const QPointer<FondCommandes> moi(this);
    const DemandeImage demande =
        demandeBoite(g_.FichierCourant(), BoiteApercu, devicePixelRatioF(), g_.couleur(Role::FondFenetres));
    ticketApercu_ = g_.images.demander(demande, 0, [moi, demande](const ImagePrete& image) {
        if (!moi)
            return;
        moi->ticketApercu_ = 0;
        if (!image.ok())
            return; // an unreadable picture leaves Image2 hidden
        moi->apercuTwips_ = image.rectTwips;
        const qreal ratio = image.image.devicePixelRatio();
        moi->image2_->setGeometry(
            QRect(enPixels(image.rectTwips).topLeft(),
                  QSize(qRound(image.image.width() / ratio), qRound(image.image.height() / ratio))));
        moi->image2_->setImage(image.image);
        moi->image2_->show();
        if (image.animable) {
            moi->animation_ = std::make_unique<Animation>(moi->g_.images, *moi->g_.horloge, demande, image);
            connect(moi->animation_.get(), &Animation::imageDue, moi->image2_, &ZoneImage::setImage);
        }
    });
}

void FondCommandes::remettreApercu(bool vider)
{
    animation_.reset();
    if (ticketApercu_)
        g_.images.annuler(ticketApercu_);
    ticketApercu_ = 0;
    image2_->setGeometry(enPixels(BoiteApercu));
    if (vider) {
        image2_->setImage(QImage());
        apercuTwips_ = QRectF();
    }
}

void FondCommandes::hideEvent(QHideEvent* e)
{
    animation_.reset();
    PanneauSkin::hideEvent(e);
}

bool FondCommandes::apercuVisible() const
{
    return image2_->isVisible() && !image2_->image().isNull();
}

void FondCommandes::valider()
{
    hide();
    modeCommentaire_ = false;
    emit ferme(true);
}

void FondCommandes::annuler()
{
    hide();
    g_.DossierLecteur = dossierLecteurInitial_;
    modeCommentaire_ = false;
    emit ferme(false);
}

void FondCommandes::sortir()
{
    hide();
    modeCommentaire_ = false;
    cmdTalvenor_->hide();
    // Transitions switched off for the panel come back as after OK or Cancel.
    emit ferme(false);
}

void FondCommandes::texteModifie()
{
    if (text1_->toPlainText().size() > 255)
        emit message(QStringLiteral("Commentaire"),
                     QStringLiteral("La taille du commentaire est limitée à 255 caractères..."), false, 22);
}

void FondCommandes::enregistrer()
{
    const QString image = cheminChoisi();
    const QString fichier = fichierCommentaires(g_, dossier_);
    if (image.isEmpty())
        return;
    if (!commentaires::ajouter(fichier, image, text1_->toPlainText())) {
        emit message(QStringLiteral("Enregistrer : Erreur d'accès !"),
                     QStringLiteral("Il est probable que vous tentez d'écrire sur un support protégé en écriture : "
                                    "CD ou DVD par exemple...\nEn principe, vous devriez utiliser le disque dur "
                                    "(éventuellement ZIP,  SyQuest...)."),
                     true, 21);
        return;
    }
    g_.indexCommentaires.oublier(fichier);
    text1_->clear();
}

void FondCommandes::voirFichier()
{
    // The desktop's text editor for the file; a failure is ignored.
    g_.services.ouvrirUrl(QUrl::fromLocalFile(fichierCommentaires(g_, dossier_)));
}
