#include "platform/chargeurimage.h"

#include "platform/correctionbmp.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"
#include "platform/nomsfichiers.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <mutex>

#include "platform/wmf/lecteurwmf.h"

namespace {

using formatimage::Format;

// Files read whole into memory (metafiles, bare DIBs) are refused above this size.
constexpr qint64 TailleMaxEnMemoire = qint64(dimensions::LimiteAllocationMo) * 1024 * 1024;

void fixerLimiteAllocation()
{
    // The limit is process-wide in Qt; set it once, before any reader runs.
    static std::once_flag fait;
    std::call_once(fait, [] { QImageReader::setAllocationLimit(dimensions::LimiteAllocationMo); });
}

ResultatImage echec(const QString& texte, const QSize& naturelle = {})
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
}

QString texteLecteur(QImageReader::ImageReaderError e)
{
    switch (e) {
    case QImageReader::FileNotFoundError: return QStringLiteral("Fichier introuvable");
    case QImageReader::DeviceError: return QStringLiteral("Lecture du fichier impossible");
    case QImageReader::UnsupportedFormatError: return QStringLiteral("Format d'image non reconnu");
    case QImageReader::InvalidDataError: return QStringLiteral("Image endommagée ou illisible");
    default: return QStringLiteral("Image illisible");
    }
}

// Opens `chemin` for reading when it is a regular file: a pipe or a device would block.
// The name's own bytes are used, so a name that is not UTF-8 opens too.
bool ouvrir(QFile& fichier, const QString& chemin, QString* erreur)
{
    const EtatFichier etat = etatFichier(chemin);
    if (!etat.existe)
        *erreur = QStringLiteral("Fichier introuvable");
    else if (!etat.ordinaire)
        *erreur = QStringLiteral("Ce n'est pas un fichier d'image");
    else if (!ouvrirEnLecture(fichier, chemin))
        *erreur = QStringLiteral("Lecture du fichier refusée");
    else if (fichier.size() == 0)
        *erreur = QStringLiteral("Le fichier est vide");
    else
        return true;
    return false;
}

bool tropGrandPourLaMemoire(const QSize& t)
{
    return qint64(t.width()) * t.height() > dimensions::PixelsMax;
}

// Brings the decoded picture to the size asked and to one opaque format, laying any
// transparency on `fond`.
QImage finir(QImage image, const QSize& couverture, const QColor& fond)
{
    if (couverture.isValid()
        && (image.width() > couverture.width() || image.height() > couverture.height()))
        image = image.scaled(couverture, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.hasAlphaChannel()) {
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.setDevicePixelRatio(image.devicePixelRatio());
        opaque.fill(fond);
        QPainter peintre(&opaque);
        peintre.drawImage(0, 0, image);
        peintre.end();
        return opaque;
    }
    if (image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_RGB32);
    return image;
}

// Picks the size asked of the reader: a DCT scale for JPEG, the covering size for the
// readers that scale as they decode, nothing for the others (decoded whole, then scaled).
void choisirEchelle(QImageReader& lecteur, const QSize& stockee, const QSize& couvertureStockee)
{
    if (lecteur.format() == "jpeg") {
        const QSize t = dimensions::tailleDecodageJpeg(stockee, couvertureStockee);
        if (t.isValid())
            lecteur.setScaledSize(t);
    } else if (couvertureStockee != stockee
               && lecteur.supportsOption(QImageIOHandler::ScaledSize)) {
        lecteur.setScaledSize(couvertureStockee);
    }
}

// A GIF whose image data cannot be decoded still has its canvas, which browsers show empty.
bool toileVide(const QByteArray& debut, const QColor& fond, QImage* image)
{
    const QSize taille = formatimage::tailleGif(debut);
    if (taille.isEmpty() || tropGrandPourLaMemoire(taille))
        return false;
    *image = QImage(taille, QImage::Format_RGB32);
    image->fill(fond);
    return true;
}

ResultatImage lireAvecQt(QIODevice* appareil, const QByteArray& format, const QByteArray& debut,
                         const QSize& cible, const QColor& fond)
{
    QImageReader lecteur(appareil, format);
    lecteur.setDecideFormatFromContent(true);
    lecteur.setAutoTransform(true);
    if (!lecteur.canRead())
        return echec(texteLecteur(lecteur.error()));
    const QSize stockee = lecteur.size();
    const bool pivote = lecteur.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize naturelle = pivote ? stockee.transposed() : stockee;
    QSize couverture = dimensions::tailleCouvrante(naturelle, cible);
    if (stockee.isValid()) {
        choisirEchelle(lecteur, stockee, pivote ? couverture.transposed() : couverture);
        if (!lecteur.scaledSize().isValid() && lecteur.format() != "jpeg"
            && tropGrandPourLaMemoire(stockee))
            return echec(QStringLiteral("Image trop grande pour être affichée"), naturelle);
    }
    QImage image;
    if (!lecteur.read(&image) && !toileVide(debut, fond, &image))
        return echec(texteLecteur(lecteur.error()), naturelle);
    if (lecteur.format() == "bmp")
        correctionbmp::etendreCanaux16Bits(image, debut);
    if (!couverture.isValid())
        couverture = dimensions::tailleCouvrante(image.size(), cible);
    ResultatImage r;
    r.tailleNaturelle = naturelle.isValid() && !naturelle.isEmpty() ? naturelle : image.size();
    r.image = finir(std::move(image), couverture, fond);
    return r;
}

bool lireTout(QFile& fichier, QByteArray* donnees, QString* erreur)
{
    if (fichier.size() > TailleMaxEnMemoire) {
        *erreur = QStringLiteral("Fichier trop volumineux");
        return false;
    }
    *donnees = fichier.readAll();
    if (donnees->isEmpty()) {
        *erreur = QStringLiteral("Lecture du fichier impossible");
        return false;
    }
    return true;
}

ResultatImage lireDib(QFile& fichier, const QSize& cible, const QColor& fond)
{
    QByteArray dib;
    QString erreur;
    if (!lireTout(fichier, &dib, &erreur))
        return echec(erreur);
    QByteArray bmp = formatimage::dibEnBmp(dib);
    if (bmp.isEmpty())
        return echec(QStringLiteral("Image endommagée ou illisible"));
    QBuffer tampon(&bmp);
    tampon.open(QIODevice::ReadOnly);
    return lireAvecQt(&tampon, "bmp", bmp.left(formatimage::OctetsDebut), cible, fond);
}

bool estWmf(const QByteArray& debut) { return wmf::estWmf(debut); }

ResultatImage lireWmf(QFile& fichier, const QSize& cible, const QColor& fond)
{
    QByteArray donnees;
    QString erreur;
    if (!lireTout(fichier, &donnees, &erreur))
        return echec(erreur);
    const wmf::InfoWmf info = wmf::lireInfo(donnees);
    if (!info.ok)
        return echec(info.erreur.isEmpty() ? QStringLiteral("Image endommagée ou illisible") : info.erreur);
    const QSize naturelle = info.tailleNaturellePx.toSize().expandedTo(QSize(1, 1));
    const QSize taille = dimensions::tailleRenduVectoriel(info.tailleNaturellePx, cible,
                                                          wmf::TailleMaxRendu);
    wmf::ResultatWmf rendu = wmf::rendre(donnees, taille, fond);
    if (!rendu.ok())
        return echec(rendu.erreur.isEmpty() ? QStringLiteral("Image endommagée ou illisible") : rendu.erreur,
                     naturelle);
    ResultatImage r;
    r.tailleNaturelle = naturelle;
    r.image = finir(std::move(rendu.image), QSize(), fond);
    return r;
}

QSize tailleWmf(QFile& fichier)
{
    QByteArray donnees;
    QString erreur;
    if (!lireTout(fichier, &donnees, &erreur))
        return {};
    const wmf::InfoWmf info = wmf::lireInfo(donnees);
    return info.ok ? info.tailleNaturellePx.toSize().expandedTo(QSize(1, 1)) : QSize();
}

} // namespace

ResultatImage chargerImage(const QString& chemin, const QSize& cible, const QColor& fondTransparence)
{
    fixerLimiteAllocation();
    QFile fichier;
    QString erreur;
    if (!ouvrir(fichier, chemin, &erreur))
        return echec(erreur);
    const QByteArray debut = fichier.peek(formatimage::OctetsDebut);
    if (estWmf(debut))
        return lireWmf(fichier, cible, fondTransparence);
    const Format format = formatimage::detecter(debut);
    if (format == Format::DibSansEntete)
        return lireDib(fichier, cible, fondTransparence);
    // Qt turns such a header down as damaged; say what is really wrong with it.
    const QSize declaree = format == Format::Bmp ? formatimage::tailleDib(debut.mid(14)) : QSize();
    if (declaree.isValid() && tropGrandPourLaMemoire(declaree))
        return echec(QStringLiteral("Image trop grande pour être affichée"), declaree);
    return lireAvecQt(&fichier, formatimage::nomQt(format), debut, cible, fondTransparence);
}

QSize lireTailleNaturelle(const QString& chemin)
{
    fixerLimiteAllocation();
    QFile fichier;
    QString erreur;
    if (!ouvrir(fichier, chemin, &erreur))
        return {};
    const QByteArray debut = fichier.peek(formatimage::OctetsDebut);
    if (estWmf(debut))
        return tailleWmf(fichier);
    const Format format = formatimage::detecter(debut);
    if (format == Format::DibSansEntete)
        return formatimage::tailleDib(debut);
    if (format == Format::Bmp)
        return formatimage::tailleDib(debut.mid(14));
    QImageReader lecteur(&fichier, formatimage::nomQt(format));
    lecteur.setDecideFormatFromContent(true);
    const QSize stockee = lecteur.size();
    if (!stockee.isValid() || stockee.isEmpty())
        return {};
    return (lecteur.transformation() & QImageIOHandler::TransformationRotate90) ? stockee.transposed()
                                                                               : stockee;
}
