#include "dialogs/conseils.h"

#include "app/fenetreskin.h"
#include "app/general.h"
#include "core/tablereglages.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {
constexpr double Largeur = 5880;
constexpr double Hauteur = 3600;
// A tips file is a few kilobytes; anything far larger is not one and is read no further.
constexpr qint64 TailleMax = 4 * 1024 * 1024;

QString decoder(const QByteArray& contenu)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString texte = utf8.decode(contenu);
    if (!utf8.hasError())
        return texte;
    QStringDecoder ancien("windows-1252");
    if (ancien.isValid())
        return ancien.decode(contenu);
    return QString::fromLatin1(contenu);
}
} // namespace

const QString Conseils::MessageFichierAbsent = QStringLiteral(
    "Le fichier Conseils.txt n'a pas été trouvé.\n\nVous n'auriez pas dû le supprimer du dossier d'Ormelle");

QStringList lireConseils(const QByteArray& contenu)
{
    const QString texte = decoder(contenu);
    if (texte.isEmpty())
        return {};
    static const QRegularExpression finDeLigne(QStringLiteral("\r\n|\r|\n"));
    QStringList lignes = texte.split(finDeLigne);
    // The terminator of the last line opens no further tip.
    if (texte.endsWith(QLatin1Char('\n')) || texte.endsWith(QLatin1Char('\r')))
        lignes.removeLast();
    return lignes;
}

QString Conseils::fichierParDefaut()
{
    return DossierProgramme() + QStringLiteral("/Conseils.txt");
}

Conseils::Conseils(General& g, QWidget* parent)
    : Conseils(
        g, fichierParDefaut(), [] { return QRandomGenerator::global()->generateDouble(); }, parent)
{
}

Conseils::Conseils(General& g, const QString& fichier, std::function<double()> aleatoire, QWidget* parent)
    : QDialog(parent), g_(g), aleatoire_(std::move(aleatoire))
{
    setObjectName(QStringLiteral("Conseils"));
    construire();
    appliquerCoches();
    if (!LoadTips(fichier))
        lblTipText_->setText(MessageFichierAbsent);
}

void Conseils::construire()
{
    General& g = g_;
    const QColor debut = g.couleur(Role::DebutDegrade);
    const QColor fin = g.couleur(Role::FinDegrade);
    preparerDialogueSkin(this, g, Largeur, Hauteur);

    creerTitre(this, g, QStringLiteral("Ormelle - Conseil du jour"), Largeur);
    creerBande(this, QStringLiteral("Forme1"), 0, 300, Largeur, 315, fin, debut);
    creerBande(this, QStringLiteral("Forme6"), 0, 2970, Largeur, 315, debut, fin);
    creerBande(this, QStringLiteral("Forme7"), 0, 3285, Largeur, 315, fin, debut);
    creerBande(this, QStringLiteral("Forme2"), 0, 600, 600, 1200, debut, fin);
    creerBande(this, QStringLiteral("Forme3"), 0, 1800, 600, 1170, fin, debut);
    creerBande(this, QStringLiteral("Forme4"), 5280, 600, 600, 1200, debut, fin);
    creerBande(this, QStringLiteral("Forme5"), 5280, 1800, 600, 1170, fin, debut);

    auto* cadre = new QLabel(this);
    cadre->setObjectName(QStringLiteral("Picture1"));
    twips::placer(cadre, 600, 600, 4695, 1650);
    cadre->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    peindreFondWidget(cadre, g.couleur(Role::Visualisation));
    auto* ampoule = new QLabel(cadre);
    ampoule->setObjectName(QStringLiteral("ImageConseil"));
    ampoule->setPixmap(QIcon(QStringLiteral(":/icones/conseil.svg")).pixmap(28, 28));
    ampoule->setGeometry(5, twips::px(180), 28, 28);

    lblTipText_ = new QLabel(cadre);
    lblTipText_->setObjectName(QStringLiteral("lblTipText"));
    twips::placer(lblTipText_, 540, 180, 3855, 1275);
    lblTipText_->setWordWrap(true);
    lblTipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText_->setTextFormat(Qt::PlainText);
    QFont police(QStringLiteral("Verdana"));
    police.setPointSizeF(8.25);
    lblTipText_->setFont(police);
    peindreFondWidget(lblTipText_, g.couleur(Role::Visualisation), g.couleur(Role::AutresTextes));

    auto* ok = creerBouton(this, QStringLiteral("CmdOK"), QStringLiteral("D'accord !"), 600, 2250, 2340, 480, debut,
                           fin, g.couleur(Role::TexteBoutons), g.couleur(Role::Lumiere));
    connect(ok, &BoutonSkin::clicked, this, &QDialog::accept);
    auto* suivant = creerBouton(this, QStringLiteral("CmdNextTip"), QStringLiteral("Conseil suivant"), 2940, 2250, 2340,
                                480, fin, debut, g.couleur(Role::TexteBoutons), g.couleur(Role::Lumiere));
    connect(suivant, &BoutonSkin::clicked, this, &Conseils::tipSuivant);

    auto* bande = new QLabel(this);
    bande->setObjectName(QStringLiteral("Label1"));
    twips::placer(bande, 600, 2730, 4680, 255);
    bande->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    chk_ = new QCheckBox(QStringLiteral("Afficher les conseils à l'ouverture"), this);
    chk_->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    twips::placer(chk_, 1575, 2760, 3675, 195);
    chk_->setFont(police);
    peindreFondWidget(chk_, g.couleur(Role::FondFenetres), g.couleur(Role::AutresTextes));
    connect(chk_, &QCheckBox::clicked, this, [this](bool coche) {
        g_.demarrage.conseils = coche;
        ecrireOui(g_.reglages, Reglage::ConseilDemarrage, coche);
    });
}

void Conseils::appliquerCoches()
{
    g_.demarrage.conseils = lireOui(g_.reglages, Reglage::ConseilDemarrage);
    chk_->setChecked(g_.demarrage.conseils);
}

bool Conseils::LoadTips(const QString& sFile)
{
    if (sFile.isEmpty() || !QFileInfo(sFile).isFile())
        return false;
    QFile f(sFile);
    // A file that is there but cannot be read is reported like a missing one.
    if (!f.open(QIODevice::ReadOnly))
        return false;
    liste_ = lireConseils(f.read(TailleMax));
    const double r = aleatoire_ ? qBound(0.0, aleatoire_(), 0.999999999) : 0.0;
    courant_ = qMin(int(r * liste_.size() + 1), qMax(1, int(liste_.size())));
    DisplayCurrentTip();
    return true;
}

void Conseils::DisplayCurrentTip()
{
    if (liste_.isEmpty() || courant_ < 1 || courant_ > liste_.size())
        return;
    lblTipText_->setText(liste_.at(courant_ - 1));
}

void Conseils::tipSuivant()
{
    ++courant_;
    if (courant_ > liste_.size())
        courant_ = 1;
    DisplayCurrentTip();
}
