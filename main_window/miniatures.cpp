#include "main_window/miniatures.h"

#include "app/general.h"
#include "app/ratiopixels.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "core/twips.h"
#include "platform/nomsfichiers.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <utility>

namespace {
constexpr int LargeurCellule = 1920;
constexpr int HauteurCellule = 1440;
constexpr int GaucheCellules[] = {120, 2130, 4140};
constexpr int HautCellules[] = {180, 1800, 3420};
// The middle first, then outwards: what the user looks at comes first.
constexpr int OrdreDecodage[] = {4, 3, 5, 2, 6, 1, 7, 0, 8};

const struct {
    const char* nom;
    const char* infoBulle;
    const char* icone;
    int haut;
    int hauteur;
    BoutonSkin* Miniatures::*membre;
} Colonne[] = {
    {"CmdVHaut", "Page précédente/Début du dossier", "", 90, 420, &Miniatures::CmdVHaut},
    {"CmdVBas", "Page suivante/Fin du dossier", "", 600, 420, &Miniatures::CmdVBas},
    {"CmdVTypExt", "Choix du format d'image (bmp, dib, gif, jpg, rle, wmf)", "", 1020, 735, &Miniatures::CmdVTypExt},
    {"CmdVPlEcr", "Affichage en taille réelle de l'image centrée/Couleur du fond", "fond", 1740, 480,
     &Miniatures::CmdVPlEcr},
    {"CmdVRename", "Renommer l'image centrée", "renommer", 2280, 480, &Miniatures::CmdVRename},
    {"CmdVCopFich", "Copier le fichier d'image centrée/Copier l'image centrée dans le presse-papiers", "copfich", 2820,
     480, &Miniatures::CmdVCopFich},
    {"CmdVSupFic", "Supprimer l'image centrée", "supfic", 3360, 480, &Miniatures::CmdVSupFic},
    {"CmdVPaint", "Programme de dessin/Presse-papiers", "paint", 3900, 480, &Miniatures::CmdVPaint},
    {"CmdOrmelle", "Fenêtre principale/Appel de la rubrique d'aide", "ormelle", 4440, 480, &Miniatures::CmdOrmelle},
};
} // namespace

CelluleMiniature::CelluleMiniature(QWidget* parent, int index) : QWidget(parent), index_(index)
{
    setObjectName(QStringLiteral("Image2(%1)").arg(index));
    twips::placer(this, GaucheCellules[index % 3], HautCellules[index / 3], LargeurCellule, HauteurCellule);
}

void CelluleMiniature::montrer(const QImage& image, const QSizeF& tailleTwips)
{
    etiree_ = true;
    image_ = image;
    rect_ = QRect(0, 0, int(std::lround(tailleTwips.width() / twips::ParPixel)),
                  int(std::lround(tailleTwips.height() / twips::ParPixel)));
    setToolTip(QString());
    update();
}

void CelluleMiniature::montrerSansEtirer(const QImage& image)
{
    etiree_ = false;
    image_ = image;
    rect_ = rect();
    setToolTip(QString());
    update();
}

void CelluleMiniature::vider(const QString& infoBulle)
{
    image_ = QImage();
    rect_ = QRect();
    setToolTip(infoBulle);
    update();
}

void CelluleMiniature::paintEvent(QPaintEvent*)
{
    if (image_.isNull())
        return;
    QPainter p(this);
    if (!etiree_) {
        p.drawImage(QPoint(0, 0), image_);
        return;
    }
    peindreImagePrete(p, rect_, image_);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(rect_.adjusted(0, 0, -1, -1));
}

void CelluleMiniature::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit clique(index_);
}

Miniatures::Miniatures(General& g, QWidget* fenetre) : QObject(fenetre), g_(g)
{
    construire(fenetre);
    relier();
}

Miniatures::~Miniatures()
{
    for (quint64 t : tickets_)
        g_.images.annuler(t);
    annulerAnticipation();
}

void Miniatures::construire(QWidget* fenetre)
{
    FondMiniatures = new PanneauSkin(fenetre, QStringLiteral("FondMiniatures"));
    twips::placer(FondMiniatures, 3120, 630, 6735, 5055);
    FondMiniatures->hide();
    // A panel takes the focus on a click, and its cells and buttons never do: a
    // click anywhere on the page gives it the keys that turn it.
    FondMiniatures->installEventFilter(this);
    for (int i = 0; i < PagesMiniatures::NbCellules; ++i)
        Image2[size_t(i)] = new CelluleMiniature(FondMiniatures, i);
    for (const auto& c : Colonne) {
        auto* b = new BoutonSkin(FondMiniatures, QString::fromLatin1(c.nom));
        twips::placer(b, 6120, c.haut, 600, c.hauteur);
        if (*c.icone)
            b->setIconeSvg(QStringLiteral(":/icones/%1.svg").arg(QLatin1String(c.icone)));
        b->setInfoBulle(QString::fromUtf8(c.infoBulle), &g_.InfoBulles);
        this->*c.membre = b;
    }
    CmdVHaut->setText(QStringLiteral("▲"));
    CmdVBas->setText(QStringLiteral("▼"));
    CmdVTypExt->setRetourLigne(true);
}

void Miniatures::relier()
{
    for (CelluleMiniature* c : Image2)
        connect(c, &CelluleMiniature::clique, this, [this](int cellule) {
            if (cellule != PagesMiniatures::Milieu)
                sens_ = cellule > PagesMiniatures::Milieu ? 1 : -1;
            pages_.clicCellule(cellule);
            AfficheMiniatures();
        });
    connect(CmdVHaut, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton)
            deplacer(-1, &PagesMiniatures::pagePrecedente);
        else if (b == Qt::RightButton)
            deplacer(-1, &PagesMiniatures::debut);
    });
    connect(CmdVBas, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton)
            deplacer(1, &PagesMiniatures::pageSuivante);
        else if (b == Qt::RightButton)
            deplacer(1, &PagesMiniatures::fin);
    });
    connect(&g_.modele, &ModeleDossier::listeChangee, this, &Miniatures::listeRecue);
    // Moved to a screen of another ratio: the page is decoded again at its pixels
    // (the cache keeps pictures by ratio, so the old ones are not taken).
    connect(new SuiviRatio(FondMiniatures), &SuiviRatio::ratioChange, this, [this] {
        if (actif_ && pages_.NbMiniatures() > 0)
            AfficheMiniatures();
    });
}

void Miniatures::setActif(bool oui)
{
    actif_ = oui;
    FondMiniatures->setVisible(oui);
}

// Paths as the folder listing gives them, case kept: Linux names are case-sensitive.
QStringList Miniatures::listeModele() const
{
    QStringList chemins;
    chemins.reserve(g_.modele.fichiers().size());
    for (const QString& nom : g_.modele.fichiers())
        chemins << g_.modele.chemin(nom);
    return chemins;
}

// The listing runs off the interface thread: the list is built once it has arrived.
void Miniatures::DossierMiniatures(qint64 position)
{
    positionVoulue_ = position;
    cheminVoulu_.clear();
    construireListe();
}

void Miniatures::DossierMiniaturesSur(const QString& chemin)
{
    positionVoulue_ = 1;
    cheminVoulu_ = chemin;
    construireListe();
}

void Miniatures::centrer(const QString& chemin)
{
    const qsizetype i = pages_.liste().indexOf(chemin);
    if (i >= 0)
        allerA(i + 1);
}

void Miniatures::construireListe()
{
    if (g_.modele.listageEnCours()) {
        attendreListe_ = true;
        return;
    }
    attendreListe_ = false;
    dossierListe_ = g_.modele.dossier();
    pages_.setListe(listeModele());
    if (const qsizetype i = pages_.liste().indexOf(std::exchange(cheminVoulu_, QString())); i >= 0)
        positionVoulue_ = i + 1;
    if (pages_.NbMiniatures() > 0) {
        pages_.setPosition(positionVoulue_);
        AfficheMiniatures();
        return;
    }
    ++generation_;
    for (quint64& t : tickets_)
        g_.images.annuler(std::exchange(t, 0));
    annulerAnticipation();
    for (CelluleMiniature* c : Image2)
        c->vider();
    restantes_ = 0;
    sablier_.reset();
    emit legendeChangee(QString()); // nothing on the page: no name of another folder or of a trashed picture
    annoncerCentree();
}

void Miniatures::annoncerCentree()
{
    if (pages_.centree() == centreeAnnoncee_)
        return;
    centreeAnnoncee_ = pages_.centree();
    emit centreeChangee();
}

// A copy, trash or rename lists the folder again: the page follows, at the same position.
void Miniatures::listeRecue()
{
    if (attendreListe_) {
        construireListe();
        return;
    }
    if (!actif_ || g_.modele.dossier() != dossierListe_ || g_.modele.listageEnCours())
        return;
    const QStringList liste = listeModele();
    if (liste != pages_.liste())
        pages_.actualiserListe(liste);
    else if (!pageChangee())
        return;
    AfficheMiniatures();
}

// Under the metafile pattern alone, cells show metafiles at their own size, uncut by
// any fitting; every other pattern fits each picture in its cell.
bool Miniatures::pageDeMetafichiers() const
{
    return g_.modele.motif().compare(QLatin1String("*.wmf"), Qt::CaseInsensitive) == 0;
}

QString Miniatures::cle(const QString& chemin) const
{
    // By what the file is, not its name alone: a picture rewritten in place is made again.
    return chemin + QLatin1Char('|') + g_.modele.identite(chemin).texte() + QLatin1Char('|')
           + QString::number(FondMiniatures->devicePixelRatioF())
           + (pageDeMetafichiers() ? QLatin1String("|wmf") : QLatin1String());
}

DemandeImage Miniatures::demande(const QString& chemin) const
{
    DemandeImage d = pageDeMetafichiers() ? demandeNaturelle(chemin, FondMiniatures->devicePixelRatioF())
                                          : demandeMiniature(chemin, QRectF(0, 0, LargeurCellule, HauteurCellule),
                                                             FondMiniatures->devicePixelRatioF());
    d.identite = g_.modele.identite(chemin);
    return d;
}

// A picture of the page rewritten by another program: its cell is made again.
bool Miniatures::pageChangee() const
{
    for (int cellule = 0; cellule < PagesMiniatures::NbCellules; ++cellule) {
        const QString chemin = pages_.entree(cellule);
        if (!chemin.isEmpty() && cle(chemin) != clesPage_[size_t(cellule)])
            return true;
    }
    return false;
}

void Miniatures::AfficheMiniatures()
{
    const quint64 generation = ++generation_;
    // New requests go in before the old ones are cancelled, so that a picture
    // still on the new page keeps the decode already under way.
    auto anciens = tickets_;
    tickets_.fill(0);
    restantes_ = 0;
    for (int cellule : OrdreDecodage) {
        const QString chemin = pages_.entree(cellule);
        clesPage_[size_t(cellule)] = chemin.isEmpty() ? QString() : cle(chemin);
        ImagePrete image;
        if (chemin.isEmpty()) {
            Image2[size_t(cellule)]->vider();
        } else if (cache_.trouver(clesPage_[size_t(cellule)], &image)) {
            remplir(cellule, image);
        } else {
            Image2[size_t(cellule)]->vider();
            ++restantes_;
            tickets_[size_t(cellule)] = g_.images.demander(
                demande(chemin), ServiceImages::Miniature,
                [this, cellule, generation](const ImagePrete& i) { recevoir(cellule, generation, i); });
        }
    }
    for (quint64 t : anciens)
        g_.images.annuler(t);
    if (pages_.NbMiniatures() > 0) {
        const QString nom = texteAffichable(pages_.centree().mid(pages_.centree().lastIndexOf(QLatin1Char('/')) + 1));
        emit legendeChangee(QString(10, QLatin1Char(' ')) + nomSansExtension(nom));
    } else {
        emit legendeChangee(QString());
    }
    annoncerCentree();
    if (restantes_ == 0) {
        pageTerminee();
        return;
    }
    annulerAnticipation();
    if (!sablier_)
        sablier_ = std::make_unique<Sablier>(g_.services);
}

void Miniatures::recevoir(int cellule, quint64 generation, const ImagePrete& image)
{
    if (generation != generation_)
        return;
    tickets_[size_t(cellule)] = 0;
    if (image.ok())
        cache_.garder(clesPage_[size_t(cellule)], image);
    remplir(cellule, image);
    if (--restantes_ == 0)
        pageTerminee();
}

// A picture that cannot be read leaves its own cell empty, and only that one.
void Miniatures::remplir(int cellule, const ImagePrete& image)
{
    CelluleMiniature* c = Image2[size_t(cellule)];
    if (image.ok() && pageDeMetafichiers())
        c->montrerSansEtirer(image.image);
    else if (image.ok())
        c->montrer(image.image, image.rectTwips.size());
    else
        c->vider(QStringLiteral("Cette image ne peut pas être lue : %1").arg(image.erreur));
}

void Miniatures::pageTerminee()
{
    sablier_.reset();
    emit pageAffichee();
    anticiper();
}

void Miniatures::annulerAnticipation()
{
    for (quint64 t : ticketsAnticipes_)
        g_.images.annuler(t);
    ticketsAnticipes_.clear();
    anticipees_ = 0;
}

void Miniatures::anticiper()
{
    annulerAnticipation();
    const qint64 position = pages_.positionVoisine(sens_);
    if (position != pages_.ImageCentree()) {
        for (int cellule : OrdreDecodage) {
            const QString chemin = pages_.entree(cellule, position);
            const QString cleCellule = chemin.isEmpty() ? QString() : cle(chemin);
            if (chemin.isEmpty() || cache_.contient(cleCellule))
                continue;
            ++anticipees_;
            ticketsAnticipes_.push_back(g_.images.demander(demande(chemin), ServiceImages::Anticipation,
                                                           [this, cleCellule](const ImagePrete& i) {
                                                               if (i.ok())
                                                                   cache_.garder(cleCellule, i);
                                                               if (--anticipees_ == 0)
                                                                   emit anticipationTerminee();
                                                           }));
        }
    }
    if (anticipees_ == 0)
        emit anticipationTerminee();
}

void Miniatures::oublier(const QString& chemin)
{
    cache_.oublier(chemin);
}
