#include "main_window/panneauformats.h"

#include "app/general.h"
#include "app/twips.h"

#include <QKeyEvent>

namespace {
struct Format {
    const char* nom;
    const char* legende;
    double gauche, haut, largeur, hauteur;
    const char* motif;
    const char* legendeTypExt;
    const char* legendeV;
    bool aide; // the right button opens the help topic on formats
};

const Format formats[] = {
    {"CmdBMP", "BMP", 300, 120, 945, 480, "*.bmp", " BMP", "BMP", false},
    {"CmdDIB", "DIB", 1260, 120, 945, 480, "*.dib", " DIB", "DIB", false},
    {"CmdGIF", "GIF", 300, 600, 945, 480, "*.gif", " GIF", "GIF", false},
    {"CmdJPG", "JPG", 1260, 600, 945, 480, "*.jpg", " JPG", "JPG", false},
    {"CmdRLE", "RLE", 300, 1080, 945, 480, "*.rle", " RLE", "RLE", false},
    {"CmdWMF", "WMF", 1260, 1080, 945, 480, "*.wmf", "WMF", "WMF", false},
    {"CmdTousImg", "Tous les formats", 300, 2040, 1905, 780, "*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf", "TOUS", "TOUS",
     false},
    {"CmdTOUS", "Tous les fichiers (*.*)", 300, 2820, 1905, 1140, "*.*", "  *.*", "*.*", true},
};
} // namespace

// The buttons fill the panel from its top edge: the caption names it for
// assistive tools instead of being painted under them.
PanneauFormats::PanneauFormats(General& g, QWidget* fenetre) : PanneauSkin(fenetre, QStringLiteral("FondTypExt")), g_(g)
{
    setAccessibleName(QStringLiteral("Choix du format d'image"));
    twips::placer(this, 3180, 1530, 2355, 4095);
    hide();

    for (const Format& f : formats) {
        auto* b = new BoutonSkin(this, QString::fromLatin1(f.nom), QString::fromUtf8(f.legende));
        twips::placer(b, f.gauche, f.haut, f.largeur, f.hauteur);
        b->setRetourLigne(true);
        const QString motif = QString::fromLatin1(f.motif);
        const QString legende = QString::fromLatin1(f.legendeTypExt);
        const QString legendeV = QString::fromLatin1(f.legendeV);
        connect(b, &QAbstractButton::clicked, this,
                [this, motif, legende, legendeV] { emit formatChoisi(motif, legende, legendeV); });
        boutons_ << b;
        if (f.aide) {
            b->setInfoBulle(QStringLiteral("Clic droit : appel de la rubrique d'aide"), &g_.InfoBulles);
            connect(b, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton bouton) {
                if (bouton == Qt::RightButton)
                    OuvrirAide(g_, QStringLiteral("format_dimage.htm"));
            });
        }
    }

    auto* autre = new BoutonSkin(this, QStringLiteral("CmdAutre"), QStringLiteral("Autre..."));
    twips::placer(autre, 300, 1560, 1905, 480);
    connect(autre, &QAbstractButton::clicked, this, &PanneauFormats::autreDemande);
    boutons_ << autre;
}

void PanneauFormats::basculer()
{
    if (isHidden())
        montrer();
    else
        hide();
}

void PanneauFormats::montrer()
{
    twips::deplacer(this, 3180, 1530);
    raise();
    show();
    setFocus();
}

// No entry closes the panel: Escape does.
void PanneauFormats::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    PanneauSkin::keyPressEvent(e);
}

void PanneauFormats::appliquerCouleurs()
{
    const QColor debut = g_.couleur(Role::DebutDegrade);
    const QColor fin = g_.couleur(Role::FinDegrade);
    setDegrade(fin, debut);
    setCouleurTexte(g_.couleur(Role::TexteBoutons));
    for (BoutonSkin* b : boutons_) {
        b->setDegrade(fin, debut);
        b->setCouleurLumiere(g_.couleur(Role::Lumiere));
        b->setCouleurTexte(g_.couleur(Role::AutresTextes));
    }
    update();
}

std::optional<PanneauFormats::Legendes> PanneauFormats::legendes(const QString& motif)
{
    for (const Format& f : formats)
        if (motif == QLatin1String(f.motif))
            return Legendes{QString::fromLatin1(f.legendeTypExt), QString::fromLatin1(f.legendeV)};
    return std::nullopt;
}
