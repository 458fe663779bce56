#pragma once
// Pictures tagged with an ICC profile for the colour tests: profiles made with
// Little CMS, written into JPEG, PNG and WebP files by hand, and the colour
// Little CMS itself gives as the reference.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <lcms2.h>
#include <zlib.h>

namespace profilsessai {

// Kodak's ROMM (ProPhoto) primaries on a gamma of 1.8.
inline QByteArray romm()
{
    const cmsCIExyY blanc = {0.3457, 0.3585, 1.0};
    const cmsCIExyYTRIPLE primaires = {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
    cmsToneCurve* courbes[3] = {gamma, gamma, gamma};
    cmsHPROFILE p = cmsCreateRGBProfile(&blanc, &primaires, courbes);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number taille = 0;
    cmsSaveProfileToMem(p, nullptr, &taille);
    QByteArray octets(qsizetype(taille), '\0');
    cmsSaveProfileToMem(p, octets.data(), &taille);
    cmsCloseProfile(p);
    return octets;
}

// A profile Debian ships (ghostscript's), empty when absent.
inline QByteArray debian(const QString& nom)
{
    QFile f(QStringLiteral("/usr/share/color/icc/ghostscript/") + nom);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// `couleur` in `icc` (empty: sRGB) as Little CMS brings it to `cible` (empty: sRGB).
inline QRgb convertir(QRgb couleur, const QByteArray& icc, const QByteArray& cible = {})
{
    auto ouvrir = [](const QByteArray& p) {
        return p.isEmpty() ? cmsCreate_sRGBProfile() : cmsOpenProfileFromMem(p.constData(), cmsUInt32Number(p.size()));
    };
    cmsHPROFILE source = ouvrir(icc);
    cmsHPROFILE sortie = ouvrir(cible);
    cmsHTRANSFORM t = cmsCreateTransform(source, TYPE_RGB_8, sortie, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    const quint8 entree[3] = {quint8(qRed(couleur)), quint8(qGreen(couleur)), quint8(qBlue(couleur))};
    quint8 resultat[3] = {};
    cmsDoTransform(t, entree, resultat, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(source);
    cmsCloseProfile(sortie);
    return qRgb(resultat[0], resultat[1], resultat[2]);
}

inline QByteArray ecrire(const QImage& image, const char* format)
{
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter ecrivain(&tampon, format);
    ecrivain.setQuality(100);
    ecrivain.write(image);
    return octets;
}

inline QByteArray grand32(quint32 v)
{
    QByteArray o(4, '\0');
    qToBigEndian(v, o.data());
    return o;
}

// APP2 "ICC_PROFILE" segments right after the start of image, in pieces of at most 60000 bytes.
inline QByteArray jpeg(const QImage& image, const QByteArray& icc)
{
    QByteArray octets = ecrire(image, "jpeg");
    const int pieces = int((icc.size() + 59999) / 60000);
    QByteArray segments;
    for (int i = 0; i < pieces; ++i) {
        const QByteArray morceau = icc.mid(i * 60000, 60000);
        segments += QByteArray("\xFF\xE2", 2) + grand32(quint32(morceau.size() + 16)).mid(2);
        segments += QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(pieces) + morceau;
    }
    return octets.insert(2, segments);
}

// An iCCP chunk right after IHDR.
inline QByteArray png(const QImage& image, const QByteArray& icc)
{
    QByteArray octets = ecrire(image, "png");
    const QByteArray donnees = QByteArray("iCCP") + QByteArray("essai\0\0", 7) + qCompress(icc).mid(4);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(donnees.constData()), uInt(donnees.size()));
    return octets.insert(33, grand32(quint32(donnees.size() - 4)) + donnees + grand32(quint32(crc)));
}

inline QByteArray petit32(quint32 v)
{
    QByteArray o(4, '\0');
    qToLittleEndian(v, o.data());
    return o;
}

// The simple WebP Qt writes, made extended (VP8X) to carry an ICCP chunk.
inline QByteArray webp(const QImage& image, const QByteArray& icc)
{
    const QByteArray simple = ecrire(image, "webp");
    QByteArray vp8x = QByteArray("VP8X") + petit32(10) + char(0x20) + QByteArray(3, '\0');
    vp8x += petit32(quint32(image.width() - 1)).left(3) + petit32(quint32(image.height() - 1)).left(3);
    QByteArray iccp = QByteArray("ICCP") + petit32(quint32(icc.size())) + icc;
    if (icc.size() % 2)
        iccp += '\0';
    const QByteArray corps = QByteArray("WEBP") + vp8x + iccp + simple.mid(12);
    return QByteArray("RIFF") + petit32(quint32(corps.size())) + corps;
}

} // namespace profilsessai
