#include "core/vignettesbureau.h"

#include "core/ajustement.h"
#include "core/twips.h"
#include "platform/couleurs.h"
#include "platform/nomsfichiers.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QPainter>
#include <QTemporaryFile>
#include <QtEndian>

#include <cmath>
#include <sys/stat.h>
#include <zlib.h>

namespace vignettes {
namespace {

constexpr int Tailles[] = {128, 256, 512, 1024};
constexpr char CleIdentite[] = "X-Ormelle::Identity";

QString nomDossierTaille(int taille)
{
    switch (taille) {
    case 128:
        return QStringLiteral("normal");
    case 256:
        return QStringLiteral("large");
    case 512:
        return QStringLiteral("x-large");
    case 1024:
        return QStringLiteral("xx-large");
    }
    return QStringLiteral("fail/ormelle-" ORMELLE_VERSION);
}

QString secondes(const IdentiteFichier& id)
{
    return QString::number(id.modifieNs / 1000000000);
}

// Valid for the file as it is now: the same time of change, to the second, and
// the same size when the writer gave it.
bool valide(const QHash<QByteArray, QByteArray>& textes, const QString& adresse, const IdentiteFichier& id)
{
    if (textes.value("Thumb::MTime") != secondes(id).toLatin1())
        return false;
    const QByteArray uriLue = textes.value("Thumb::URI");
    if (!uriLue.isEmpty() && uriLue != adresse.toLatin1())
        return false;
    const QByteArray taille = textes.value("Thumb::Size");
    if (!taille.isEmpty() && taille != QByteArray::number(id.taille))
        return false;
    // Ours also names the file to the nanosecond and the inode: a picture rewritten
    // within the same second, at the same size, is not taken for the one before.
    const QByteArray exacte = textes.value(CleIdentite);
    return exacte.isEmpty() || exacte == id.texte().toLatin1();
}

QByteArray inflerTexte(const QByteArray& z)
{
    QByteArray sortie(4096, '\0');
    for (int essai = 0; essai < 4; ++essai, sortie.resize(sortie.size() * 4)) {
        uLongf n = uLongf(sortie.size());
        const int r = uncompress(reinterpret_cast<Bytef*>(sortie.data()), &n,
                                 reinterpret_cast<const Bytef*>(z.constData()), uLong(z.size()));
        if (r == Z_OK)
            return sortie.left(qsizetype(n));
        if (r != Z_BUF_ERROR)
            break;
    }
    return {};
}

// tEXt chunks, as the standard asks (Qt would compress long values into zTXt).
QByteArray morceauTexte(const QByteArray& cle, const QByteArray& valeur)
{
    const QByteArray corps = QByteArray("tEXt") + cle + '\0' + valeur;
    QByteArray morceau(4, '\0');
    qToBigEndian<quint32>(quint32(corps.size() - 4), morceau.data());
    morceau += corps;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(corps.constData()), uInt(corps.size()))),
                          crc.data());
    return morceau + crc;
}

bool creerDossier(const QString& dossier)
{
    const QByteArray octets = octetsDepuisChemin(dossier);
    if (::mkdir(octets.constData(), 0700) == 0 || errno == EEXIST)
        return true;
    const qsizetype barre = dossier.lastIndexOf(QLatin1Char('/'));
    return barre > 0 && creerDossier(dossier.left(barre)) && ::mkdir(octets.constData(), 0700) == 0;
}

// Written beside its final place, then renamed: another program never reads half of it.
void ecrire(const QString& cible, const QImage& image, const QString& adresse, const IdentiteFichier& id,
            const QSize& naturelle)
{
    QByteArray png;
    QBuffer tampon(&png);
    if (!tampon.open(QIODevice::WriteOnly) || !image.save(&tampon, "PNG") || png.size() < 20)
        return;
    QByteArray textes =
        morceauTexte("Thumb::URI", adresse.toLatin1()) + morceauTexte("Thumb::MTime", secondes(id).toLatin1())
        + morceauTexte("Thumb::Size", QByteArray::number(id.taille))
        + morceauTexte("Software", "Ormelle " ORMELLE_VERSION) + morceauTexte(CleIdentite, id.texte().toLatin1());
    if (naturelle.isValid())
        textes += morceauTexte("Thumb::Image::Width", QByteArray::number(naturelle.width()))
                  + morceauTexte("Thumb::Image::Height", QByteArray::number(naturelle.height()));
    png.insert(33, textes); // after the signature and IHDR: before the pixels, where every reader looks
    const QString dossier = cible.left(cible.lastIndexOf(QLatin1Char('/')));
    if (!creerDossier(dossier))
        return;
    QTemporaryFile temporaire(dossier + QStringLiteral("/.ormelle-XXXXXX.png")); // made 0600
    temporaire.setAutoRemove(false);
    if (!temporaire.open())
        return;
    const bool ecrit = temporaire.write(png) == png.size() && temporaire.flush();
    temporaire.close();
    if (!ecrit
        || ::rename(QFile::encodeName(temporaire.fileName()).constData(), octetsDepuisChemin(cible).constData()) != 0)
        QFile::remove(temporaire.fileName());
}

bool lire(const QString& chemin, const IdentiteFichier& id, int taille, QImage* image, QSize* naturelle)
{
    QFile fichier;
    // A thumbnail is small: past a few megabytes it is not one.
    if (!ouvrirEnLecture(fichier, cheminVignette(chemin, taille)) || fichier.size() > 16 * 1024 * 1024)
        return false;
    const QByteArray donnees = fichier.readAll();
    const QHash<QByteArray, QByteArray> t = textesPng(donnees);
    if (!valide(t, uri(chemin), id))
        return false;
    *naturelle = QSize(t.value("Thumb::Image::Width").toInt(), t.value("Thumb::Image::Height").toInt());
    return taille == 0 || image->loadFromData(donnees, "PNG");
}

// The one place where a thumbnail of the shared cache (sRGB, as the standard keeps
// them) becomes the picture shown in a cell, converted there to the display's
// colours at the cell's size. `naturelle` in pixels; unknown, the thumbnail's own
// size stands for it (larger than the cell, or the whole picture).
ImagePrete versCellule(const DemandeImage& d, const QImage& vignette, QSize naturelle)
{
    ImagePrete r;
    r.chemin = d.chemin;
    if (naturelle.isEmpty())
        naturelle = vignette.size();
    r.naturelle = QSizeF(twips::depuisPx(naturelle.width()), twips::depuisPx(naturelle.height()));
    r.rectTwips = ajustement::ajusterMiniature(r.naturelle, d.zone);
    const qreal ratio = d.ratioPixels > 0 ? d.ratioPixels : 1;
    const QSize taille(std::max(1, int(std::lround(r.rectTwips.width() / twips::ParPixel * ratio))),
                       std::max(1, int(std::lround(r.rectTwips.height() / twips::ParPixel * ratio))));
    QImage fond(vignette.size(), QImage::Format_RGB32);
    fond.fill(d.fond);
    {
        QPainter p(&fond);
        p.drawImage(0, 0, vignette);
    }
    r.image = fond.scaled(taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    couleurs::convertir(r.image, {}, d.srgb ? couleurs::Sortie::Srgb : couleurs::Sortie::Ecran);
    r.image.setDevicePixelRatio(ratio);
    return r;
}

} // namespace

// Qt's readers cannot give these keys back (they split keys at the first ':'):
// the chunks are read here.
QHash<QByteArray, QByteArray> textesPng(const QByteArray& png)
{
    QHash<QByteArray, QByteArray> textes;
    for (qsizetype i = 8; i + 12 <= png.size();) {
        const quint32 longueur = qFromBigEndian<quint32>(png.constData() + i);
        const QByteArray type = png.mid(i + 4, 4);
        if (longueur > quint32(png.size() - i - 12) || type == "IEND")
            break;
        const QByteArray corps = png.mid(i + 8, qsizetype(longueur));
        const qsizetype zero = corps.indexOf('\0');
        if (zero > 0 && type == "tEXt")
            textes.insert(corps.left(zero), corps.mid(zero + 1));
        else if (zero > 0 && type == "zTXt" && corps.size() > zero + 2)
            textes.insert(corps.left(zero), inflerTexte(corps.mid(zero + 2)));
        else if (zero > 0 && type == "iTXt" && corps.size() > zero + 3 && corps.at(zero + 1) == 0) {
            // language and translated key, each ended by a zero, then the text
            const qsizetype langue = corps.indexOf('\0', zero + 3);
            const qsizetype cle = langue < 0 ? -1 : corps.indexOf('\0', langue + 1);
            if (cle > 0)
                textes.insert(corps.left(zero), corps.mid(cle + 1));
        }
        i += 12 + qsizetype(longueur);
    }
    return textes;
}

QString dossierCache()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !base.startsWith(QLatin1Char('/')))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/thumbnails");
}

QString uri(const QString& chemin)
{
    static const QByteArray permis = "!$&'()*+,-./:=@_~";
    QByteArray sortie = "file://";
    for (const char c : octetsDepuisChemin(chemin)) {
        const auto u = uchar(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || permis.contains(c))
            sortie += c;
        else
            sortie += '%' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
    }
    return QString::fromLatin1(sortie);
}

QString cheminVignette(const QString& chemin, int taille)
{
    const QByteArray md5 = QCryptographicHash::hash(uri(chemin).toLatin1(), QCryptographicHash::Md5).toHex();
    return dossierCache() + QLatin1Char('/') + nomDossierTaille(taille) + QLatin1Char('/') + QString::fromLatin1(md5)
           + QStringLiteral(".png");
}

int tailleQuiCouvre(const QSize& pixels)
{
    const int cote = std::max(pixels.width(), pixels.height());
    for (int t : Tailles)
        if (t >= cote)
            return t;
    return 0;
}

ImagePrete preparerMiniature(const DemandeImage& d, const Charger& charger)
{
    const Charger chargeur = charger ? charger : [&d](const QString& c, const QSize& s) {
        return chargerImage(c, s, d.fond, d.annulation.get(), couleurs::Sortie::Srgb);
    };
    const qreal ratio = d.ratioPixels > 0 ? d.ratioPixels : 1;
    const int taille = tailleQuiCouvre((d.zone.size() / twips::ParPixel * ratio).toSize());
    const IdentiteFichier id = d.identite.connue() ? d.identite : identiteFichier(d.chemin);
    // The cache's own pictures are never thumbnailed into it.
    const bool partage = taille > 0 && id.connue() && !d.chemin.startsWith(dossierCache() + QLatin1Char('/'));
    QImage vignette;
    QSize naturelle;
    if (partage) {
        for (int t : Tailles)
            if (t >= taille && lire(d.chemin, id, t, &vignette, &naturelle))
                return versCellule(d, vignette, naturelle);
        if (lire(d.chemin, id, 0, &vignette, &naturelle)) {
            ImagePrete echec;
            echec.chemin = d.chemin;
            echec.erreur = QStringLiteral("Image illisible");
            return echec;
        }
    }
    // Decoded to fit the standard's square, never enlarged.
    const QSize entete = lireTailleNaturelle(d.chemin);
    const QSize carre(taille > 0 ? taille : 1024, taille > 0 ? taille : 1024);
    const QSize cible =
        entete.isValid() && !entete.isEmpty() ? entete.scaled(carre, Qt::KeepAspectRatio).boundedTo(entete) : carre;
    const ResultatImage charge = chargeur(d.chemin, cible.expandedTo(QSize(1, 1)));
    if (!charge.ok()) {
        // A decode stopped because nobody wants it says nothing of the file.
        if (partage && !(d.annulation && *d.annulation))
            ecrire(cheminVignette(d.chemin, 0), QImage(1, 1, QImage::Format_ARGB32), uri(d.chemin), id, {});
        ImagePrete echec;
        echec.chemin = d.chemin;
        echec.erreur = charge.erreur.isEmpty() ? QStringLiteral("Image illisible") : charge.erreur;
        return echec;
    }
    vignette = charge.image.size() == cible ? charge.image
                                            : charge.image.scaled(cible, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (partage)
        ecrire(cheminVignette(d.chemin, taille), vignette, uri(d.chemin), id, charge.tailleNaturelle);
    ImagePrete r = versCellule(d, vignette, charge.tailleNaturelle);
    r.animable = charge.animable;
    return r;
}

} // namespace vignettes
