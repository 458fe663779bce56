#include "chargementessai.h"
#include "commun/profilsessai.h"
#include "imagesessai.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <lcms2.h>
#include <vector>

QImage unie(QSize taille, QRgb couleur)
{
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    return image;
}

QImage moitiesRougeBleu(int largeur, int hauteur)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    image.fill(Bleu);
    QPainter(&image).fillRect(0, 0, largeur / 2, hauteur, Rouge);
    return image;
}

bool proche(QRgb a, QRgb b, int ecart)
{
    return std::abs(qRed(a) - qRed(b)) <= ecart && std::abs(qGreen(a) - qGreen(b)) <= ecart
           && std::abs(qBlue(a) - qBlue(b)) <= ecart;
}

QRgb cmjnAllerRetour(QRgb couleur, const QByteArray& icc)
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE cmjn = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    cmsHTRANSFORM aller = cmsCreateTransform(srgb, TYPE_RGB_8, cmjn, TYPE_CMYK_8, INTENT_PERCEPTUAL, 0);
    cmsHTRANSFORM retour = cmsCreateTransform(cmjn, TYPE_CMYK_8, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    const quint8 rgb[3] = {quint8(qRed(couleur)), quint8(qGreen(couleur)), quint8(qBlue(couleur))};
    quint8 encres[4] = {}, sortie[3] = {};
    cmsDoTransform(aller, rgb, encres, 1);
    cmsDoTransform(retour, encres, sortie, 1);
    cmsDeleteTransform(aller);
    cmsDeleteTransform(retour);
    cmsCloseProfile(srgb);
    cmsCloseProfile(cmjn);
    return qRgb(sortie[0], sortie[1], sortie[2]);
}

QByteArray jxlCarre(const QByteArray& jxl, quint32 cote)
{
    std::vector<bool> bits;
    for (qsizetype i = 2 * 8 + 9; i < jxl.size() * 8; ++i)
        bits.push_back(quint8(jxl[i / 8]) >> (i % 8) & 1);
    std::vector<bool> entete;
    const auto ecrire = [&](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            entete.push_back(v >> i & 1);
    };
    ecrire(0, 1); // not a small size
    ecrire(2, 2); // height coded on 18 bits
    ecrire(cote - 1, 18);
    ecrire(1, 3); // width from the 1:1 ratio
    bits.insert(bits.begin(), entete.begin(), entete.end());
    QByteArray sortie(2 + qsizetype(bits.size() + 7) / 8, '\0');
    sortie[0] = '\xFF';
    sortie[1] = '\x0A';
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            sortie[2 + qsizetype(i / 8)] |= char(1 << (i % 8));
    return sortie;
}

QImage lignes(const ResultatImage& r)
{
    return r.image.convertToFormat(QImage::Format_RGB32);
}

QSet<QByteArray> pluginsImagesCharges()
{
    QFile cartes(QStringLiteral("/proc/self/maps"));
    QSet<QByteArray> charges;
    if (cartes.open(QIODevice::ReadOnly))
        for (const QByteArray& ligne : cartes.readAll().split('\n'))
            if (ligne.contains("/imageformats/"))
                charges.insert(ligne.mid(ligne.lastIndexOf('/')));
    return charges;
}

QImage bruit(int largeur, int hauteur)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    QRandomGenerator alea(7);
    for (int y = 0; y < image.height(); ++y)
        alea.fillRange(reinterpret_cast<quint32*>(image.scanLine(y)), image.width());
    return image;
}

QByteArray enPng(const QImage& image)
{
    QByteArray octets;
    QBuffer tampon(&octets);
    if (!tampon.open(QIODevice::WriteOnly) || !image.save(&tampon, "PNG"))
        return {};
    return octets;
}

qint64 positionDeLecture(const QString& chemin)
{
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System))
        if (QFile info(QStringLiteral("/proc/self/fdinfo/") + fd.fileName());
            fd.symLinkTarget() == chemin && info.open(QIODevice::ReadOnly))
            return info.readLine().mid(4).trimmed().toLongLong();
    return -1;
}

void insererExif(QByteArray& jpeg, int orientation)
{
    const QByteArray exif = essai::jpeg(QImage(8, 8, QImage::Format_RGB32), orientation);
    if (orientation > 0)
        jpeg.insert(2, exif.mid(2, 2 + ((uchar(exif[4]) << 8) | uchar(exif[5]))));
}

QString DossierImages::fichier(const QString& nom, const QByteArray& octets) const
{
    const QString chemin = filePath(nom);
    if (!essai::ecrire(chemin, octets))
        qWarning("écriture impossible : %s", qPrintable(chemin));
    return chemin;
}

QString DossierImages::produire(const QString& source, const QString& nom, const QStringList& options) const
{
    const bool jxl = nom.endsWith(QLatin1String(".jxl"));
    const QString outil = QStandardPaths::findExecutable(jxl ? QStringLiteral("cjxl") : QStringLiteral("convert"));
    if (outil.isEmpty())
        return {};
    const QString chemin = filePath(nom);
    QProcess p;
    p.start(outil, QStringList{source, chemin} + options);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning("%s : %s", qPrintable(outil), p.readAllStandardError().constData());
    return chemin;
}

QString DossierImages::png(const QString& nom, const QImage& image) const
{
    const QString chemin = filePath(nom);
    if (!image.save(chemin))
        qWarning("écriture impossible : %s", qPrintable(chemin));
    return chemin;
}

QByteArray DossierImages::lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray DossierImages::jpegCmjn(const QString& convert, const QImage& image) const
{
    const QString png = fichier("source.png", profilsessai::ecrire(image, "png"));
    const QString srgb = fichier("srgb.icc", profilsessai::debian("srgb.icc"));
    const QString jpg = filePath("cmjn.jpg");
    if (QProcess::execute(convert, {png, "-profile", srgb, "-profile",
                                    "/usr/share/color/icc/ghostscript/default_cmyk.icc", "-quality", "100", jpg})
        != 0)
        return {};
    return lire(jpg);
}
