#include "platform/chargeurimage.h"

#include "platform/correctionbmp.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"
#include "platform/inflation.h"
#include "platform/jpegcmjn.h"
#include "platform/lecteurjpeg.h"
#include "platform/moduleimages.h"
#include "platform/nomsfichiers.h"
#include "platform/profilicc.h"
#include "platform/rendusvg.h"
#include "platform/tamponannulable.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QXmlStreamReader>

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

// Lays a composited frame on `fond` into *dest. Its buffer is written over when
// nothing else holds it and it has the frame's size, so that a player goes round
// the same few buffers; every pixel is written, so nothing of the frame it held
// before shows through.
void poserTrame(const QImage& trame, const QColor& fond, QImage* dest)
{
    if (!dest->isDetached() || dest->size() != trame.size() || dest->format() != QImage::Format_RGB32)
        *dest = QImage(trame.size(), QImage::Format_RGB32);
    dest->setDevicePixelRatio(trame.devicePixelRatio());
    const bool transparente = trame.hasAlphaChannel();
    if (transparente)
        dest->fill(fond);
    QPainter peintre(dest);
    peintre.setCompositionMode(transparente ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source);
    peintre.drawImage(0, 0, trame);
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

bool nomDessin(const QString& chemin)
{
    const QString suffixe = QFileInfo(chemin).suffix().toLower();
    return suffixe == u"svg" || suffixe == u"svgz";
}

// The drawing's text, inflated when compressed, within the budget; empty with `erreur` otherwise.
QByteArray lireSvg(QFile& fichier, const dimensions::Budget& budget, QString* erreur)
{
    QByteArray octets;
    if (fichier.size() > budget.octetsDecompresses) {
        *erreur = texteImageTropComplexe();
        return {};
    }
    if (!lireTout(fichier, &octets, erreur))
        return {};
    if (!octets.startsWith("\x1F\x8B"))
        return octets;
    QByteArray texte;
    if (!inflerBorne(octets, budget.octetsDecompresses, &texte)) {
        *erreur = texte.size() > budget.octetsDecompresses ? texteImageTropComplexe()
                                                           : QStringLiteral("Image endommagée ou illisible");
        return {};
    }
    return texte;
}

// A length of the root element in pixels, as Qt's SVG renderer takes it.
double longueurSvg(QStringView v)
{
    // Qt's renderer counts 90 pixels an inch, as SVG 1.1 viewers did.
    static const struct {
        const char* unite;
        double px;
    } unites[] = {{"px", 1}, {"pt", 1.25}, {"pc", 15}, {"mm", 90 / 25.4}, {"cm", 90 / 2.54}, {"in", 90}};
    for (const auto& u : unites)
        if (v.endsWith(QLatin1String(u.unite)))
            return v.chopped(2).toDouble() * u.px;
    return v.endsWith(u'%') ? 0 : v.toDouble();
}

// The natural size from the root element alone, without building the drawing.
QSize tailleSvg(const QByteArray& texte)
{
    QXmlStreamReader xml(texte);
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QList<QStringView> vue = a.value(QLatin1String("viewBox")).split(u' ', Qt::SkipEmptyParts);
        double w = longueurSvg(a.value(QLatin1String("width")).trimmed());
        double h = longueurSvg(a.value(QLatin1String("height")).trimmed());
        if ((w <= 0 || h <= 0) && vue.size() == 4) {
            w = vue[2].toDouble();
            h = vue[3].toDouble();
        }
        return w >= 1 && h >= 1 && w < 1e6 && h < 1e6 ? QSize(qRound(w), qRound(h)) : QSize();
    }
    return {};
}

ResultatImage chargerSvg(QFile& fichier, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                         const std::atomic<bool>* annulation)
{
    QString erreur;
    QByteArray texte = lireSvg(fichier, budget, &erreur);
    if (texte.isEmpty())
        return echec(erreur.isEmpty() ? QStringLiteral("Image endommagée ou illisible") : erreur);
    return rendusvg::rendre(std::move(texte), cible, fond, budget, annulation);
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
        if (dessin && nomDessin(chemin))
            return chargerSvg(fichier, cible, fondTransparence, budget, annulation);
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
        if (dessin && nomDessin(chemin)) {
            QString erreur;
            return tailleSvg(lireSvg(fichier, dimensions::budgetPour({}), &erreur));
        }
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

LecteurAnimation::LecteurAnimation(const QString& chemin, const QSize& cible, const QColor& fond,
                                   couleurs::Sortie sortie)
    : chemin_(chemin), cible_(cible), fond_(fond), sortie_(sortie)
{
    fixerLimiteAllocation();
    ouvrirLecteur();
}

LecteurAnimation::~LecteurAnimation() = default;

bool LecteurAnimation::ouvrirLecteur()
{
    lecteur_.reset();
    lues_ = 0;
    QString erreur;
    fichier_.close();
    if (!ouvrir(fichier_, chemin_, &erreur))
        return false;
    const Format format = formatimage::detecter(fichier_.peek(formatimage::OctetsSniff));
    profil_ = profilicc::lire(fichier_).icc;
    auto lecteur = std::make_unique<QImageReader>(&fichier_, formatimage::nomQt(format));
    formatimage::choisirLecteur(*lecteur, formatimage::nomQt(format));
    lecteur->setAutoTransform(true); // as the first frame was shown
    if (!lecteur->canRead() || !lecteur->supportsAnimation())
        return false;
    // Frames are composited at the canvas size whatever is asked: the budget is the whole decode's.
    const QSize stockee = lecteur->size();
    if (!stockee.isValid() || stockee.isEmpty())
        return false;
    const bool pivote = lecteur->transformation() & QImageIOHandler::TransformationRotate90;
    const dimensions::Budget budget = dimensions::budgetPour(cible_);
    couverture_ = dimensions::tailleCouvrante(pivote ? stockee.transposed() : stockee, cible_, budget.pixels);
    if (!choisirEchelle(*lecteur, stockee, pivote ? couverture_.transposed() : couverture_, budget, 0))
        return false;
    // Both are read before the first frame: asked later, GIF's reader may look past the frame it is on.
    nombre_ = std::max(0, lecteur->imageCount());
    boucles_ = lecteur->loopCount();
    lecteur_ = std::move(lecteur);
    return true;
}

bool LecteurAnimation::lire(QImage* image, int* delaiMs)
{
    if (!lecteur_ || (nombre_ > 0 && lues_ >= nombre_))
        return false;
    {
        // The reader composites on a canvas of its own and hands that out shared:
        // copied out and let go of before the next read, it is never duplicated
        // whole just to take the next frame.
        QImage trame;
        if (!lecteur_->read(&trame))
            return false;
        // The delay of the frame just read, before anything else reads on.
        *delaiMs = lecteur_->nextImageDelay();
        const QSize t = trame.size();
        if (couverture_.isValid() && (t.width() > couverture_.width() || t.height() > couverture_.height()))
            trame = trame.scaled(couverture_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        poserTrame(trame, fond_, image);
    }
    ++lues_;
    couleurs::convertir(*image, profil_, sortie_);
    return true;
}

bool LecteurAnimation::rembobiner()
{
    return ouvrirLecteur();
}
