// The format panel FondTypExt and its buttons, CmdTypExt's two actions.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QListView>

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

const Format* formatDuMotif(const QString& motif)
{
    for (const Format& f : formats)
        if (motif == QLatin1String(f.motif))
            return &f;
    return nullptr;
}
} // namespace

void Navigateur::construirePanneauFormats()
{
    // The buttons fill the panel from its top edge: the caption names it for
    // assistive tools instead of being painted under them.
    fondTypExt_ = new PanneauSkin(fenetre_, QStringLiteral("FondTypExt"));
    fondTypExt_->setAccessibleName(QStringLiteral("Choix du format d'image"));
    twips::placer(fondTypExt_, 3180, 1530, 2355, 4095);
    fondTypExt_->hide();

    for (const Format& f : formats) {
        auto* b = new BoutonSkin(fondTypExt_, QString::fromLatin1(f.nom), QString::fromUtf8(f.legende));
        twips::placer(b, f.gauche, f.haut, f.largeur, f.hauteur);
        b->setRetourLigne(true);
        const QString motif = QString::fromLatin1(f.motif);
        const QString legende = QString::fromLatin1(f.legendeTypExt);
        const QString legendeV = QString::fromLatin1(f.legendeV);
        connect(b, &QAbstractButton::clicked, this,
                [this, motif, legende, legendeV] { choisirFormat(motif, legende, legendeV); });
        boutonsFormats_ << b;
        if (f.aide) {
            b->setInfoBulle(QStringLiteral("Clic droit : appel de la rubrique d'aide"), &g_.InfoBulles);
            connect(b, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton bouton) {
                if (bouton == Qt::RightButton)
                    OuvrirAide(g_, QStringLiteral("format_dimage.htm"));
            });
        }
    }

    auto* autre = new BoutonSkin(fondTypExt_, QStringLiteral("CmdAutre"), QStringLiteral("Autre..."));
    twips::placer(autre, 300, 1560, 1905, 480);
    connect(autre, &QAbstractButton::clicked, this, [this] { choisirAutre(); });
    boutonsFormats_ << autre;
}

void Navigateur::basculerPanneauFormats()
{
    emit masquerPanneaux(true, true, false, true);
    if (fondTypExt_->isHidden()) {
        twips::deplacer(fondTypExt_, 3180, 1530);
        fondTypExt_->raise();
        fondTypExt_->show();
    } else {
        fondTypExt_->hide();
    }
}

void Navigateur::montrerPanneauFormats()
{
    twips::deplacer(fondTypExt_, 3180, 1530);
    fondTypExt_->raise();
    fondTypExt_->show();
    fondTypExt_->setFocus();
}

void Navigateur::boutonDroitTypExt()
{
    emit masquerPanneaux(true, true, false, false);
    emit cacheFichiersBascule();
    file1_->setFocus();
}

// Named from the start, as CmdTypExt is.
void Navigateur::setLegendeVTypExt(std::function<void(const QString&)> f)
{
    legendeV_ = std::move(f);
    const QString motif = g_.modele.motif();
    const Format* format = formatDuMotif(motif);
    // Else "*." and an extension typed after "Autre...".
    if (legendeV_)
        legendeV_(format ? QString::fromLatin1(format->legendeV) : motif.mid(2).toUpper());
}

void Navigateur::elargirMotif()
{
    const Format* tous = formatDuMotif(QStringLiteral("*.*"));
    poserLegendes(QString::fromLatin1(tous->legendeTypExt), QString::fromLatin1(tous->legendeV));
    g_.modele.setMotif(QString::fromLatin1(tous->motif));
}

void Navigateur::poserLegendes(const QString& legende, const QString& legendeV)
{
    emit legendeTypExtChangee(legende);
    if (legendeV_)
        legendeV_(legendeV);
}

// A format change reads the folder again too, so that new files and folders show.
void Navigateur::choisirFormat(const QString& motif, const QString& legende, const QString& legendeV)
{
    fondTypExt_->hide();
    poserLegendes(legende, legendeV);
    g_.modele.setMotif(motif);
    g_.modele.relire();
}

void Navigateur::choisirAutre()
{
    fondTypExt_->hide();
    QString extension = g_.services
                            .saisirTexte(fenetre_, QStringLiteral("Nom de l'extension"),
                                         QStringLiteral("Entrez le nom de l'extension (Ex : XXX) :"), QString())
                            .value_or(QString());
    if (extension.size() > 3) {
        const QString texte =
            QStringLiteral("L'extension «") + extension
            + QStringLiteral("» comporte plus de 3 caractères.\nVous êtes sûr(e) de ne pas vous tromper ?");
        if (Demander(g_, 4, QStringLiteral("Choix d'un nom d'extension"), texte, fenetre_) == 0)
            return;
    }
    if (extension.isEmpty())
        extension = g_.modele.motif().right(3);
    else
        g_.modele.setMotif(QStringLiteral("*.") + extension);
    poserLegendes(extension.toUpper(), extension.toUpper());
    g_.modele.relire();
}
