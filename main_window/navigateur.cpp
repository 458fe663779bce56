#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/ratiopixels.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "core/animation.h"
#include "main_window/affichageimage.h"
#include "main_window/panneauformats.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QStringListModel>

namespace {
// Drives come and go while the program runs: the list is read again each time it opens.
class ListeLecteurs : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> avantOuverture;

protected:
    void showPopup() override
    {
        if (avantOuverture)
            avantOuverture();
        QComboBox::showPopup();
    }
};
} // namespace

Navigateur::Navigateur(General& g, QWidget* fenetre, QObject* parent)
    : QObject(parent), g_(g), fenetre_(fenetre), sourceLecteurs_(&listerLecteurs)
{
    construireListes();
    construirePanneauFormats();
    relierListes();
    remplirLecteurs();
    appliquerCouleurs();
    connect(new SuiviRatio(fenetre_), &SuiviRatio::ratioChange, this, &Navigateur::suivreRatio);
}

Navigateur::~Navigateur()
{
    g_.images.annuler(ticketImage_);
}

void Navigateur::construireListes()
{
    auto* lecteurs = new ListeLecteurs(fenetre_);
    lecteurs->avantOuverture = [this] { remplirLecteurs(); };
    drive1_ = lecteurs;
    drive1_->setObjectName(QStringLiteral("Drive1"));
    twips::placer(drive1_, 600, 630, 2520, 315);

    dir1_ = new QListWidget(fenetre_);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    dir1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dir1_->setTextElideMode(Qt::ElideRight);
    twips::placer(dir1_, 600, 945, 2520, 2115);

    // A plain string model keeps folders of a hundred thousand files quick to fill.
    modeleFichiers_ = new QStringListModel(this);
    file1_ = new QListView(fenetre_);
    file1_->setObjectName(QStringLiteral("File1"));
    file1_->setModel(modeleFichiers_);
    file1_->setUniformItemSizes(true);
    file1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    file1_->setSelectionMode(QAbstractItemView::SingleSelection);
    file1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    twips::placer(file1_, 600, 3060, 2520, 2625);

    image1_ = new AffichageImage(fenetre_);
    twips::placer(image1_, 3120, 630, 6735, 5055);
    // The picture lies under every panel the window opens over the box.
    image1_->lower();
    image1_->hide();
}

void Navigateur::relierListes()
{
    connect(drive1_, qOverload<int>(&QComboBox::activated), this, [this](int) { changerLecteur(); });
    // A double click opens a folder whatever the desktop's single-click setting.
    connect(dir1_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* it) { ouvrirEntreeDossier(dir1_->row(it)); });
    connect(file1_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (i.isValid())
            fichierSelectionne(i.row());
    });
    connect(file1_, &QListView::clicked, this, [this](const QModelIndex& i) {
        // A click on the entry already selected shows it again, as a new selection would.
        if (clicSurCourant_ && i.isValid())
            fichierSelectionne(i.row());
        clicSurCourant_ = false;
    });
    connect(file1_, &QListView::doubleClicked, this, [this](const QModelIndex&) { doubleClicFichier(); });
    connect(image1_, &AffichageImage::clique, this, [this] { clicImage(); });
    connect(&g_.modele, &ModeleDossier::dossierChange, this, &Navigateur::montrerDossier);
    connect(&g_.modele, &ModeleDossier::listeChangee, this, &Navigateur::recevoirListe);
    connect(&g_.modele, &ModeleDossier::courantChange, this, &Navigateur::montrerCourant);
    file1_->installEventFilter(this);
    file1_->viewport()->installEventFilter(this);
    dir1_->installEventFilter(this);
    dir1_->viewport()->installEventFilter(this);
}

bool Navigateur::eventFilter(QObject* o, QEvent* e)
{
    if (o == file1_ && e->type() == QEvent::KeyPress)
        return toucheFichiers(static_cast<QKeyEvent*>(e)->key());
    if (o == dir1_ && e->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(e)->key();
        if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
            ouvrirEntreeDossier(dir1_->currentRow());
            return true;
        }
    }
    if (o == file1_->viewport() && e->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        const QModelIndex i = file1_->indexAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        clicSurCourant_ = i.isValid() && i == file1_->currentIndex();
    }
    if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
        if (o == file1_->viewport()) {
            // The menu acts on the selected file: the right button must not move the selection.
            boutonDroitFichiers();
            return true;
        }
        if (o == dir1_->viewport()) {
            if (modeMiniatures_)
                emit dossierMiniaturesDemande(QString());
            return true;
        }
    }
    return QObject::eventFilter(o, e);
}

QString Navigateur::NomFichierR(const QString& chemin, const QString& separateur)
{
    if (separateur.isEmpty())
        return chemin;
    const qsizetype pos = chemin.lastIndexOf(separateur);
    if (pos < 0)
        return chemin;
    return chemin.mid(pos + 1);
}

PanneauSkin* Navigateur::FondTypExt() const
{
    return fondTypExt_;
}

QStringList Navigateur::fichiers() const
{
    return modeleFichiers_->stringList();
}

QImage Navigateur::imageCourante() const
{
    return image1_->isHidden() ? QImage() : image1_->image();
}

void Navigateur::appliquerCouleurs()
{
    const QColor visu = g_.couleur(Role::Visualisation);
    const QColor texte = g_.couleur(Role::AutresTextes);
    peindreFondWidget(drive1_, visu, texte);
    peindreFondWidget(dir1_, visu, texte);
    peindreFondWidget(file1_, visu, texte);
    fondTypExt_->appliquerCouleurs();
}
