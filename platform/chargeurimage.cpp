#include "platform/chargeurimage.h"

#include "platform/correctionbmp.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"
#include "platform/jpegcmjn.h"
#include "platform/lecteurjpeg.h"
#include "platform/lecteursvg.h"
#include "platform/moduleimages.h"
#include "platform/nomsfichiers.h"
#include "platform/outilschargeur.h"
#include "platform/profilicc.h"
#include "platform/tamponannulable.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <mutex>

#include "platform/wmf/lecteurwmf.h"

namespace {

// Files read whole into memory (metafiles, bare DIBs) are refused above this size.
constexpr qint64 TailleMaxEnMemoire = qint64(dimensions::LimiteAllocationMo) * 1024 * 1024;

} // namespace

namespace chargeur {

qint64 aire(const QSize& t)
{
    return t.isValid() ? qint64(t.width()) * t.height() : 0;
}

// A reader that cannot scale decodes the whole picture, may convert it once, and
// the fitted copy is made from it.
bool horsBudgetEntier(const QSize& stockee, const QSize& couverture, const dimensions::Budget& b)
{
    return aire(stockee) > b.pixels || aire(stockee) * 8 + aire(couverture) * 4 > b.octets;
}

void fixerLimiteAllocation()
{
    // The limit is process-wide in Qt; set it once, before any reader runs.
    static std::once_flag fait;
    std::call_once(fait, [] { QImageReader::setAllocationLimit(dimensions::LimiteAllocationMo); });
}

ResultatImage echec(const QString& texte, const QSize& naturelle)
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
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

// Picks the size asked of the reader: a DCT scale for JPEG, the covering size for the
// readers that scale as they decode, nothing for the others (decoded whole, then scaled).
// False when no size keeps the decode within the budget.
bool choisirEchelle(QImageReader& lecteur, const QSize& stockee, const QSize& couvertureStockee,
                    const dimensions::Budget& budget, qint64 octetsCoefficients)
{
    if (lecteur.format() == "jpeg") {
        const int n = dimensions::echelleJpeg(stockee, couvertureStockee, octetsCoefficients, budget);
        const QSize t = dimensions::tailleDemandeeJpeg(stockee, n);
        if (t.isValid())
            lecteur.setScaledSize(t);
        return n > 0;
    }
    if (couvertureStockee != stockee && lecteur.supportsOption(QImageIOHandler::ScaledSize)) {
        lecteur.setScaledSize(couvertureStockee);
        return aire(couvertureStockee) <= budget.pixels;
    }
    return !horsBudgetEntier(stockee, couvertureStockee, budget);
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

} // namespace chargeur

using namespace chargeur;

namespace {

using formatimage::Format;

QString texteLecteur(QImageReader::ImageReaderError e)
{
    switch (e) {
    case QImageReader::FileNotFoundError:
        return QStringLiteral("Fichier introuvable");
    case QImageReader::DeviceError:
        return QStringLiteral("Lecture du fichier impossible");
    case QImageReader::UnsupportedFormatError:
        return QStringLiteral("Format d'image non reconnu");
    case QImageReader::InvalidDataError:
        return QStringLiteral("Image endommagée ou illisible");
    default:
        return QStringLiteral("Image illisible");
    }
}

bool tropGrandPourLaMemoire(const QSize& t)
{
    return qint64(t.width()) * t.height() > dimensions::PixelsMax;
}

QString texteContenu(formatimage::Contenu c)
{
    switch (c) {
    case formatimage::Contenu::Svg:
    case formatimage::Contenu::Svgz:
        return QStringLiteral("Ce fichier contient un dessin SVG, pas une image");
    case formatimage::Contenu::Pdf:
        return QStringLiteral("Ce fichier contient un document PDF, pas une image");
    case formatimage::Contenu::Texte:
        return QStringLiteral("Ce fichier contient du texte, pas une image");
    default:
        return {};
    }
}

// Brings the decoded picture to the size asked and to one opaque format, laying any
// transparency on `fond`.
QImage finir(QImage image, const QSize& couverture, const QColor& fond)
{
    if (couverture.isValid() && (image.width() > couverture.width() || image.height() > couverture.height()))
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

bool formatRefuse(const QByteArray& format)
{
    return format == "svg" || format == "svgz" || format == "pdf";
}

ResultatImage lireAvecQt(QIODevice* appareil, const QByteArray& format, const QByteArray& debut, const QSize& cible,
                         const QColor& fond, const dimensions::Budget& budget, qint64 octetsCoefficients = 0)
{
    QImageReader lecteur(appareil, format);
    formatimage::choisirLecteur(lecteur, format);
    lecteur.setAutoTransform(true);
    if (!lecteur.canRead())
        return echec(texteLecteur(lecteur.error()));
    // Content Qt recognised on its own must still be a picture, not a drawing or a document.
    if (format.isEmpty() && formatRefuse(lecteur.format()))
        return echec(texteContenu(lecteur.format() == "pdf" ? formatimage::Contenu::Pdf : formatimage::Contenu::Svg));
    const QSize stockee = lecteur.size();
    const bool pivote = lecteur.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize naturelle = pivote ? stockee.transposed() : stockee;
    QSize couverture = dimensions::tailleCouvrante(naturelle, cible, budget.pixels);
    if (stockee.isValid()
        && !choisirEchelle(lecteur, stockee, pivote ? couverture.transposed() : couverture, budget, octetsCoefficients))
        return echec(texteImageTropGrande(), naturelle);
    QImage image;
    if (!lecteur.read(&image) && !toileVide(debut, fond, &image))
        return echec(texteLecteur(lecteur.error()), naturelle);
    // Some readers succeed with nothing to show (a drawing with no size at all).
    if (image.isNull())
        return echec(QStringLiteral("Image endommagée ou illisible"), naturelle);
    if (lecteur.format() == "bmp")
        correctionbmp::etendreCanaux16Bits(image, debut);
    if (!couverture.isValid())
        couverture = dimensions::tailleCouvrante(image.size(), cible);
    ResultatImage r;
    r.tailleNaturelle = naturelle.isValid() && !naturelle.isEmpty() ? naturelle : image.size();
    r.image = finir(std::move(image), couverture, fond);
    r.animable = lecteur.supportsAnimation();
    return r;
}

// The file as the decoder reads it, refusing to read on once the decode is no
// longer wanted: the decoder then runs out of data. libjpeg takes the missing end
// as grey (and says so), which is no picture to show nor to keep as a thumbnail.
class AppareilAnnulable : public QIODevice {
public:
    AppareilAnnulable(QFile& fichier, const std::atomic<bool>* annulation) : fichier_(fichier), annulation_(annulation)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        fichier_.seek(0);
    }
    qint64 size() const override { return fichier_.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && fichier_.seek(pos); }
    bool coupee() const { return coupee_; }

protected:
    qint64 readData(char* donnees, qint64 max) override
    {
        if (annulation_ && annulation_->load(std::memory_order_relaxed)) {
            coupee_ = true;
            return -1;
        }
        return fichier_.read(donnees, max);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile& fichier_;
    const std::atomic<bool>* annulation_;
    bool coupee_ = false;
};

ResultatImage lireDib(QFile& fichier, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                      const std::atomic<bool>* annulation)
{
    QByteArray dib;
    QString erreur;
    if (!lireTout(fichier, &dib, &erreur))
        return echec(erreur);
    QByteArray bmp = formatimage::dibEnBmp(dib);
    if (bmp.isEmpty())
        return echec(QStringLiteral("Image endommagée ou illisible"));
    TamponAnnulable tampon(&bmp, annulation);
    ResultatImage r = lireAvecQt(&tampon, "bmp", bmp.left(formatimage::OctetsDebut), cible, fond, budget);
    // Qt's reader keeps the rows it had when a read fails: that is no picture to show.
    return tampon.annule() ? echec(texteLectureAnnulee()) : r;
}

bool estWmf(const QByteArray& debut)
{
    return wmf::estWmf(debut);
}

ResultatImage lireWmf(QFile& fichier, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                      const std::atomic<bool>* annulation)
{
    QByteArray donnees;
    QString erreur;
    if (!lireTout(fichier, &donnees, &erreur))
        return echec(erreur);
    const wmf::InfoWmf info = wmf::lireInfo(donnees);
    if (!info.ok)
        return echec(info.erreur.isEmpty() ? QStringLiteral("Image endommagée ou illisible") : info.erreur);
    const QSize naturelle = info.tailleNaturellePx.toSize().expandedTo(QSize(1, 1));
    const QSize taille = dimensions::tailleRenduVectoriel(info.tailleNaturellePx, cible, wmf::TailleMaxRendu);
    wmf::ResultatWmf rendu = wmf::rendre(donnees, taille, fond, budget, annulation);
    // Past the work budget the picture drawn so far is shown, as the metafile stood then.
    if (!rendu.ok() && rendu.budgetAtteint)
        return echec(texteImageTropComplexe(), naturelle);
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

// The readers beside Qt's hand back the picture as decoded; it is fitted here like the others.
ResultatImage finirDecodee(ResultatImage r, const QSize& cible, const QColor& fond, const dimensions::Budget& budget)
{
    if (r.ok())
        r.image = finir(std::move(r.image), dimensions::tailleCouvrante(r.tailleNaturelle, cible, budget.pixels), fond);
    return r;
}

} // namespace

namespace {

// `fichier` is `chemin` opened by ouvrir().
ResultatImage decoderImage(QFile& fichier, const QString& chemin, const QSize& cible, const QColor& fondTransparence,
                           const std::atomic<bool>* annulation)
{
    const QByteArray debut = fichier.peek(formatimage::OctetsSniff);
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    if (estWmf(debut))
        return lireWmf(fichier, cible, fondTransparence, budget, annulation);
    const Format format = formatimage::detecter(debut);
    if (format == Format::DibSansEntete)
        return lireDib(fichier, cible, fondTransparence, budget, annulation);
    if (format == Format::Heif || format == Format::Jxl)
        return finirDecodee(moduleimages::lire(format, &fichier, cible, budget, annulation), cible, fondTransparence,
                            budget);
    if (format == Format::Inconnu) {
        const formatimage::Contenu contenu = formatimage::genreContenu(debut);
        const bool dessin = contenu == formatimage::Contenu::Svg || contenu == formatimage::Contenu::Svgz;
        if (dessin && lecteursvg::nomDessin(chemin))
            return lecteursvg::charger(fichier, cible, fondTransparence, budget, annulation);
        if (contenu != formatimage::Contenu::Image)
            return echec(texteContenu(contenu));
    }
    // Qt turns such a header down as damaged; say what is really wrong with it.
    const QSize declaree = format == Format::Bmp ? formatimage::tailleDib(debut.mid(14)) : QSize();
    if (declaree.isValid() && aire(declaree) > budget.pixels)
        return echec(texteImageTropGrande(), declaree);
    // Qt's reader takes any file that starts with a start-of-image marker for a JPEG.
    qint64 coefficients = 0;
    if (debut.startsWith("\xFF\xD8")) {
        const formatimage::InfoJpeg jpeg = formatimage::lireInfoJpeg(&fichier);
        if (!jpeg.ok)
            return echec(QStringLiteral("Image endommagée ou illisible"));
        coefficients = jpeg.octetsCoefficients;
        std::optional<ResultatImage> r = lecteurjpeg::lire(fichier, cible, budget, coefficients, annulation);
        if (r)
            return finirDecodee(std::move(*r), cible, fondTransparence, budget);
    }
    AppareilAnnulable appareil(fichier, annulation);
    ResultatImage r = lireAvecQt(&appareil, formatimage::nomQt(format), debut.left(formatimage::OctetsDebut), cible,
                                 fondTransparence, budget, coefficients);
    return appareil.coupee() ? echec(texteLectureAnnulee(), r.tailleNaturelle) : r;
}

} // namespace

// A CMYK JPEG with a CMYK profile goes to its own reader; every other picture is
// converted here, once, at the size it was decoded at, on the caller's thread.
ResultatImage chargerImage(const QString& chemin, const QSize& cible, const QColor& fond,
                           const std::atomic<bool>* annulation, couleurs::Sortie sortie)
{
    fixerLimiteAllocation();
    QFile fichier;
    QString erreur;
    if (!ouvrir(fichier, chemin, &erreur))
        return echec(erreur);
    const profilicc::InfoCouleurs info = profilicc::lire(fichier);
    if (info.cmjn && couleurs::transformationCmjn(info.icc, false, sortie)) {
        QByteArray octets;
        if (!lireTout(fichier, &octets, &erreur))
            return echec(erreur);
        return lireJpegCmjn(octets, info.icc, cible, annulation, sortie);
    }
    ResultatImage r = decoderImage(fichier, chemin, cible, fond, annulation);
    if (r.profilIcc.isEmpty())
        r.profilIcc = info.icc;
    if (r.ok())
        couleurs::convertir(r.image, r.profilIcc, sortie);
    return r;
}

QSize lireTailleNaturelle(const QString& chemin)
{
    fixerLimiteAllocation();
    QFile fichier;
    QString erreur;
    if (!ouvrir(fichier, chemin, &erreur))
        return {};
    const QByteArray debut = fichier.peek(formatimage::OctetsSniff);
    if (estWmf(debut))
        return tailleWmf(fichier);
    const Format format = formatimage::detecter(debut);
    if (format == Format::DibSansEntete)
        return formatimage::tailleDib(debut);
    if (format == Format::Bmp)
        return formatimage::tailleDib(debut.mid(14));
    if (format == Format::Heif || format == Format::Jxl)
        return moduleimages::lireTaille(format, &fichier);
    if (format == Format::Inconnu) {
        const formatimage::Contenu contenu = formatimage::genreContenu(debut);
        const bool dessin = contenu == formatimage::Contenu::Svg || contenu == formatimage::Contenu::Svgz;
        if (dessin && lecteursvg::nomDessin(chemin))
            return lecteursvg::taille(fichier);
        if (contenu != formatimage::Contenu::Image)
            return {};
    }
    QImageReader lecteur(&fichier, formatimage::nomQt(format));
    formatimage::choisirLecteur(lecteur, formatimage::nomQt(format));
    if (formatRefuse(lecteur.format()))
        return {};
    const QSize stockee = lecteur.size();
    if (!stockee.isValid() || stockee.isEmpty())
        return {};
    return (lecteur.transformation() & QImageIOHandler::TransformationRotate90) ? stockee.transposed() : stockee;
}
