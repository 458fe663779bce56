#include "platform/formatimage.h"

#include "platform/jpegcommun.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QIODevice>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QStringList>
#include <QtEndian>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace formatimage {

namespace {

quint32 octet(const QByteArray& o, int pos)
{
    return pos < o.size() ? quint8(o.at(pos)) : 0;
}

quint16 u16(const QByteArray& o, int pos)
{
    return quint16(octet(o, pos) | octet(o, pos + 1) << 8);
}

quint32 u32(const QByteArray& o, int pos)
{
    return u16(o, pos) | quint32(u16(o, pos + 2)) << 16;
}

bool commencePar(const QByteArray& o, const char* magie, int n)
{
    return o.size() >= n && memcmp(o.constData(), magie, size_t(n)) == 0;
}

bool estWmfSimple(const QByteArray& o)
{
    if (u32(o, 0) == 0x9AC6CDD7u)
        return true;
    const quint16 type = u16(o, 0), entete = u16(o, 2), version = u16(o, 4);
    return (type == 1 || type == 2) && entete == 9 && (version == 0x0100 || version == 0x0300);
}

struct EnteteDib {
    quint32 taille = 0;
    qint32 largeur = 0, hauteur = 0;
    quint16 plans = 0, bits = 0;
    quint32 compression = 0, couleursUtilisees = 0;
};

EnteteDib lireEnteteDib(const QByteArray& o)
{
    EnteteDib e;
    e.taille = u32(o, 0);
    if (e.taille == 12) {
        e.largeur = u16(o, 4);
        e.hauteur = u16(o, 6);
        e.plans = u16(o, 8);
        e.bits = u16(o, 10);
    } else {
        e.largeur = qint32(u32(o, 4));
        e.hauteur = qint32(u32(o, 8));
        e.plans = u16(o, 12);
        e.bits = u16(o, 14);
        e.compression = u32(o, 16);
        if (e.taille >= 36)
            e.couleursUtilisees = u32(o, 32);
    }
    return e;
}

bool dibPlausible(const EnteteDib& e)
{
    static const quint32 tailles[] = {12, 16, 40, 52, 56, 64, 108, 124};
    bool tailleConnue = false;
    for (quint32 t : tailles)
        tailleConnue = tailleConnue || e.taille == t;
    const bool bitsConnus =
        e.bits == 1 || e.bits == 2 || e.bits == 4 || e.bits == 8 || e.bits == 16 || e.bits == 24 || e.bits == 32;
    return tailleConnue && e.plans == 1 && bitsConnus && e.largeur > 0 && e.hauteur != 0 && e.compression <= 6;
}

// An ISO base media file whose brands say it holds HEVC or AV1 still pictures.
bool estHeif(const QByteArray& o)
{
    if (o.size() < 16 || o.mid(4, 4) != "ftyp")
        return false;
    static const char* const marques[] = {"heic", "heix", "hevc", "heim", "heis", "mif1", "msf1", "avif", "avis"};
    const auto connue = [](const QByteArray& m) {
        for (const char* c : marques)
            if (m == c)
                return true;
        return false;
    };
    if (connue(o.mid(8, 4)))
        return true;
    // The compatible brands follow the minor version, up to the end of the box.
    const qint64 fin = qMin<qint64>(qFromBigEndian<quint32>(o.constData()), o.size());
    for (qint64 pos = 16; pos + 4 <= fin; pos += 4)
        if (connue(o.mid(int(pos), 4)))
            return true;
    return false;
}

bool estJxl(const QByteArray& o)
{
    return commencePar(o, "\xFF\x0A", 2) || commencePar(o, "\x00\x00\x00\x0CJXL \x0D\x0A\x87\x0A", 12);
}

} // namespace

Format detecter(const QByteArray& debut)
{
    if (commencePar(debut, "\xFF\xD8\xFF", 3))
        return Format::Jpeg;
    if (commencePar(debut, "BM", 2))
        return Format::Bmp;
    if (commencePar(debut, "GIF87a", 6) || commencePar(debut, "GIF89a", 6))
        return Format::Gif;
    if (estWmfSimple(debut))
        return Format::Wmf;
    if (estHeif(debut))
        return Format::Heif;
    if (estJxl(debut))
        return Format::Jxl;
    if (dibPlausible(lireEnteteDib(debut)))
        return Format::DibSansEntete;
    return Format::Inconnu;
}

QByteArray nomQt(Format f)
{
    switch (f) {
    case Format::Jpeg:
        return "jpeg";
    case Format::Bmp:
    case Format::DibSansEntete:
        return "bmp";
    case Format::Gif:
        return "gif";
    default:
        return {};
    }
}

void choisirLecteur(QImageReader& lecteur, const QByteArray& format)
{
    lecteur.setAutoDetectImageFormat(format.isEmpty());
    lecteur.setDecideFormatFromContent(format.isEmpty());
}

QSize tailleDib(const QByteArray& debut)
{
    const EnteteDib e = lireEnteteDib(debut);
    if (!dibPlausible(e))
        return {};
    const qint64 h = e.hauteur < 0 ? -qint64(e.hauteur) : qint64(e.hauteur);
    return h > INT_MAX ? QSize() : QSize(e.largeur, int(h));
}

QSize tailleGif(const QByteArray& debut)
{
    if (detecter(debut) != Format::Gif || debut.size() < 10)
        return {};
    return QSize(u16(debut, 6), u16(debut, 8));
}

namespace {

// libjpeg reads the file through this a buffer at a time; the segments it skips are seeks.
struct SourceAppareil {
    jpeg_source_mgr pub;
    QIODevice* appareil;
    JOCTET tampon[4096];
};

// Held on the heap so that what the header read fills is in memory, not in
// registers, when libjpeg jumps back on an error.
struct LectureEntete {
    jpeg_decompress_struct info{};
    jpegcommun::ErreurJpeg erreur{};
    SourceAppareil source{};
    InfoJpeg resultat;
};

void sansEffet(j_decompress_ptr)
{
}

boolean remplir(j_decompress_ptr c)
{
    auto* s = reinterpret_cast<SourceAppareil*>(c->src);
    qint64 n = s->appareil->read(reinterpret_cast<char*>(s->tampon), qint64(sizeof s->tampon));
    if (n <= 0) {
        // As libjpeg's own sources do at the end of the data: an end-of-image marker.
        s->tampon[0] = 0xFF;
        s->tampon[1] = JPEG_EOI;
        n = 2;
    }
    s->pub.next_input_byte = s->tampon;
    s->pub.bytes_in_buffer = size_t(n);
    return TRUE;
}

void sauter(j_decompress_ptr c, long n)
{
    auto* s = reinterpret_cast<SourceAppareil*>(c->src);
    if (n <= 0)
        return;
    if (size_t(n) <= s->pub.bytes_in_buffer) {
        s->pub.next_input_byte += n;
        s->pub.bytes_in_buffer -= size_t(n);
        return;
    }
    const qint64 reste = qint64(n) - qint64(s->pub.bytes_in_buffer);
    s->pub.bytes_in_buffer = 0;
    QIODevice* a = s->appareil;
    a->seek(qMin(a->pos() + reste, a->size()));
}

// Memory libjpeg's coefficient controller will ask for: whole-picture arrays, one
// block of 64 coefficients per 8x8 block of each component rounded up to whole
// MCUs, whenever the picture comes in more than one scan.
qint64 octetsCoefficients(jpeg_decompress_struct& c)
{
    if (!jpeg_has_multiple_scans(&c))
        return 0;
    qint64 blocs = 0;
    for (int i = 0; i < c.num_components; ++i) {
        const jpeg_component_info& k = c.comp_info[i];
        const qint64 h = qMax(1, k.h_samp_factor), v = qMax(1, k.v_samp_factor);
        blocs += (qint64(k.width_in_blocks) + h - 1) / h * h * ((qint64(k.height_in_blocks) + v - 1) / v * v);
    }
    return blocs * qint64(sizeof(JBLOCK));
}

// libjpeg's own header reader, so that the figures are those of the decode that
// follows: it skips stray bytes and any number of segments, as the decode will.
void lireEntete(QIODevice* appareil, LectureEntete& e)
{
    jpeg_decompress_struct& c = e.info;
    c.err = jpegcommun::brancher(e.erreur);
    jpeg_create_decompress(&c);
    if (setjmp(e.erreur.saut)) {
        jpeg_destroy_decompress(&c);
        e.resultat = InfoJpeg();
        return;
    }
    e.source.appareil = appareil;
    e.source.pub.init_source = sansEffet;
    e.source.pub.fill_input_buffer = remplir;
    e.source.pub.skip_input_data = sauter;
    e.source.pub.resync_to_restart = jpeg_resync_to_restart;
    e.source.pub.term_source = sansEffet;
    c.src = &e.source.pub;
    jpeg_read_header(&c, TRUE);
    e.resultat.taille = QSize(int(c.image_width), int(c.image_height));
    e.resultat.progressif = c.progressive_mode;
    e.resultat.octetsCoefficients = octetsCoefficients(c);
    e.resultat.ok = !e.resultat.taille.isEmpty();
    jpeg_destroy_decompress(&c);
}

} // namespace

InfoJpeg lireInfoJpeg(QIODevice* appareil)
{
    const qint64 depart = appareil->pos();
    auto lecture = std::make_unique<LectureEntete>();
    lireEntete(appareil, *lecture);
    appareil->seek(depart);
    return lecture->resultat;
}

InfoJpeg lireInfoJpeg(const QByteArray& octets)
{
    QByteArray copie = octets;
    QBuffer tampon(&copie);
    tampon.open(QIODevice::ReadOnly);
    return lireInfoJpeg(&tampon);
}

Contenu genreContenu(const QByteArray& debut)
{
    if (commencePar(debut, "\x1F\x8B", 2))
        return Contenu::Svgz; // the only gzip a picture reader here would take
    if (commencePar(debut, "%PDF-", 5))
        return Contenu::Pdf;
    QByteArray texte = debut;
    if (commencePar(texte, "\xEF\xBB\xBF", 3))
        texte = texte.mid(3);
    const QByteArray tete = texte.left(OctetsSniff).trimmed().toLower();
    if (tete.startsWith("<svg")
        || ((tete.startsWith("<?xml") || tete.startsWith("<!doctype") || tete.startsWith("<!--"))
            && tete.contains("<svg")))
        return Contenu::Svg;
    // Text: no control bytes but line breaks and tabs (UTF-8 passes, binary does not).
    // Pictures written as text (XPM, XBM, plain PNM) stay pictures.
    const bool imageTexte =
        tete.startsWith("/* xpm") || tete.startsWith("! xpm2") || tete.startsWith("#define")
        || (tete.size() > 2 && tete[0] == 'p' && tete[1] >= '1' && tete[1] <= '3' && QChar(tete[2]).isSpace());
    if (texte.isEmpty() || imageTexte)
        return Contenu::Image;
    for (char c : texte.left(OctetsSniff)) {
        const quint8 o = quint8(c);
        if (o < 0x20 && o != '\n' && o != '\r' && o != '\t' && o != '\f')
            return Contenu::Image;
    }
    return Contenu::Texte;
}

QByteArray dibEnBmp(const QByteArray& dib)
{
    const EnteteDib e = lireEnteteDib(dib);
    if (!dibPlausible(e))
        return {};
    const bool os2 = e.taille == 12;
    quint64 couleurs = e.couleursUtilisees;
    if (couleurs == 0 && e.bits <= 8)
        couleurs = 1u << e.bits;
    quint64 decalage = 14 + quint64(e.taille) + couleurs * (os2 ? 3 : 4);
    if (e.taille == 40 && e.compression == 3)
        decalage += 12; // the three colour masks follow a short header
    else if (e.taille == 40 && e.compression == 6)
        decalage += 16;
    const quint64 total = 14 + quint64(dib.size());
    if (decalage > total)
        return {};
    QByteArray bmp(14, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(quint32(total), bmp.data() + 2);
    qToLittleEndian<quint32>(quint32(decalage), bmp.data() + 10);
    return bmp + dib;
}

} // namespace formatimage

const char* const MotifSixFormats = "*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf";

namespace {
// What Qt's image plugins read, as their metadata names it: asking the plugins
// themselves (QImageReader::supportedImageFormats) would load every one of them,
// and with them their libraries, before the first picture shows. QtGui reads
// these few without a plugin.
QStringList formatsQt()
{
    QStringList formats{"bmp", "pbm", "pgm", "png", "ppm", "xbm", "xpm"};
    const QString iid = QStringLiteral(QImageIOHandlerFactoryInterface_iid);
    for (const QString& chemin : QCoreApplication::libraryPaths()) {
        const QDir dossier(chemin + QStringLiteral("/imageformats"));
        for (const QString& nom : dossier.entryList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(dossier.filePath(nom)).metaData();
            if (meta.value(QLatin1String("IID")).toString() != iid)
                continue;
            const QJsonArray cles =
                meta.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
            for (const QJsonValue& cle : cles)
                formats << cle.toString();
        }
    }
    return formats;
}
} // namespace

QString motifImagesLisibles()
{
    static const QString motif = [] {
        QStringList motifs = QString::fromLatin1(MotifSixFormats).split(QLatin1Char(';'));
        // Read by the loader's own readers, whatever Qt's plugins are.
        motifs << QStringLiteral("*.heic") << QStringLiteral("*.heif") << QStringLiteral("*.avif")
               << QStringLiteral("*.jxl");
        for (const QString& f : formatsQt()) {
            const QString m = QStringLiteral("*.") + f.toLower();
            if (!motifs.contains(m))
                motifs << m;
        }
        return motifs.join(QLatin1Char(';'));
    }();
    return motif;
}
