#include "commun/connexionsrompues.h"
#include "commun/profilsessai.h"
#include "imagesessai.h"
#include "platform/chargeurimage.h"
#include "platform/reserveimages.h"

#include <QColorSpace>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <libheif/heif.h>
#include <QtTest>

#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

const QRgb Rouge = qRgb(255, 0, 0), Vert = qRgb(0, 255, 0), Bleu = qRgb(0, 0, 255), Noir = qRgb(0, 0, 0);

// Left half red, right half blue: shows where an orientation put the left edge.
QImage moitiesRougeBleu(int largeur, int hauteur)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    image.fill(Bleu);
    QPainter(&image).fillRect(0, 0, largeur / 2, hauteur, Rouge);
    return image;
}

// The JPEG XL codestream `jxl`, made from a 64x48 picture (a size header of 9 bits),
// declaring `cote` x `cote` instead: every bit after the header moves along.
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

// A HEIC file of one colour at `taille` whose own thumbnail, in `couleurVignette`,
// fits in `cote`; false when libheif has no HEVC encoder here.
bool ecrireHeicAvecVignette(const QString& chemin, const QSize& taille, QRgb couleur, QRgb couleurVignette, int cote)
{
    heif_init(nullptr);
    heif_context* contexte = heif_context_alloc();
    heif_encoder* codeur = nullptr;
    const auto unie = [&](QRgb c) {
        heif_image* i = nullptr;
        heif_image_create(taille.width(), taille.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &i);
        heif_image_add_plane(i, heif_channel_interleaved, taille.width(), taille.height(), 8);
        int pas = 0;
        uint8_t* p = heif_image_get_plane(i, heif_channel_interleaved, &pas);
        for (int y = 0; y < taille.height(); ++y)
            for (int x = 0; x < taille.width(); ++x) {
                p[y * pas + 3 * x] = uint8_t(qRed(c));
                p[y * pas + 3 * x + 1] = uint8_t(qGreen(c));
                p[y * pas + 3 * x + 2] = uint8_t(qBlue(c));
            }
        return i;
    };
    heif_image* principale = unie(couleur);
    heif_image* vignette = unie(couleurVignette);
    heif_image_handle* poignee = nullptr;
    const bool ok =
        heif_context_get_encoder_for_format(contexte, heif_compression_HEVC, &codeur).code == heif_error_Ok
        && heif_context_encode_image(contexte, principale, codeur, nullptr, &poignee).code == heif_error_Ok
        && heif_context_encode_thumbnail(contexte, vignette, poignee, codeur, nullptr, cote, nullptr).code
               == heif_error_Ok
        && heif_context_write_to_file(contexte, QFile::encodeName(chemin).constData()).code == heif_error_Ok;
    heif_image_handle_release(poignee);
    heif_image_release(principale);
    heif_image_release(vignette);
    if (codeur)
        heif_encoder_release(codeur);
    heif_context_free(contexte);
    heif_deinit();
    return ok;
}

bool proche(QRgb a, QRgb b, int ecart = 24)
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

} // namespace

class TestChargeurImage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dossier;

    QString fichier(const QString& nom, const QByteArray& octets)
    {
        const QString chemin = m_dossier.filePath(nom);
        if (!essai::ecrire(chemin, octets))
            qWarning("écriture impossible : %s", qPrintable(chemin));
        return chemin;
    }

    static QImage lignes(const ResultatImage& r) { return r.image.convertToFormat(QImage::Format_RGB32); }

    // `source` written as `nom` (HEIC, AVIF, JPEG XL or JPEG, from its suffix) by the tool
    // that makes it; empty when the tool is not installed.
    QString produire(const QString& source, const QString& nom, const QStringList& options = {})
    {
        const bool jxl = nom.endsWith(QLatin1String(".jxl"));
        const QString outil = QStandardPaths::findExecutable(jxl ? QStringLiteral("cjxl") : QStringLiteral("convert"));
        if (outil.isEmpty())
            return {};
        const QString chemin = m_dossier.filePath(nom);
        QProcess p;
        p.start(outil, QStringList{source, chemin} + options);
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            qWarning("%s : %s", qPrintable(outil), p.readAllStandardError().constData());
        return chemin;
    }

    QString png(const QString& nom, const QImage& image)
    {
        const QString chemin = m_dossier.filePath(nom);
        if (!image.save(chemin))
            qWarning("écriture impossible : %s", qPrintable(chemin));
        return chemin;
    }

    static QByteArray lire(const QString& chemin)
    {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase() { QVERIFY(m_dossier.isValid()); }

    // Early, before other pictures: a JPEG is read by Qt's JPEG plugin alone, as asking
    // each plugin whether it reads JPEG would load them all.
    void jpegSansAutrePlugin()
    {
        const auto plugins = [] {
            QFile cartes(QStringLiteral("/proc/self/maps"));
            QSet<QByteArray> charges;
            if (cartes.open(QIODevice::ReadOnly))
                for (const QByteArray& ligne : cartes.readAll().split('\n'))
                    if (ligne.contains("/imageformats/"))
                        charges.insert(ligne.mid(ligne.lastIndexOf('/')));
            return charges;
        };
        // Written by ImageMagick from a bare PPM: Qt's writer would ask every plugin too.
        const QString ppm = fichier("seule.ppm", QByteArray("P6\n64 48\n255\n") + QByteArray(64 * 48 * 3, '\x80'));
        const QString chemin = produire(ppm, QStringLiteral("seule.jpg"));
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) is not installed");
        const QSet<QByteArray> avant = plugins();
        QVERIFY(chargerImage(chemin, QSize(32, 24)).ok());
        QSet<QByteArray> nouveaux = plugins() - avant;
        nouveaux.remove("/libqjpeg.so");
        QCOMPARE(nouveaux, QSet<QByteArray>());
    }

    void illisibles_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("erreur");
        QTest::newRow("charabia") << "charabia.jpg" << QByteArray(300, '\x01') << "Format d'image non reconnu";
        QTest::newRow("texte") << "texte.jpg" << QByteArray(300, 'x') << "Ce fichier contient du texte, pas une image";
        QTest::newRow("vide") << "vide.bmp" << QByteArray() << "Le fichier est vide";
        QTest::newRow("jpeg tronqué à l'en-tête")
            << "tronque.jpg" << essai::jpeg(moitiesRougeBleu(64, 64)).left(40) << "Image endommagée ou illisible";
        QByteArray enorme = essai::bmp24(moitiesRougeBleu(64, 64));
        enorme.replace(18, 8, QByteArray("\xC0\xC6\x2D\x00\x80\x84\x1E\x00", 8)); // 3000000x2000000
        QTest::newRow("bmp démesuré") << "enorme.bmp" << enorme << "Image trop grande pour être affichée";
    }

    void illisibles()
    {
        QFETCH(QString, nom);
        QFETCH(QByteArray, octets);
        QFETCH(QString, erreur);
        const ResultatImage r = chargerImage(fichier(nom, octets), QSize(100, 100));
        QVERIFY(!r.ok());
        QCOMPARE(r.erreur, erreur);
        QCOMPARE(lireTailleNaturelle(m_dossier.filePath(nom)).isValid(), nom == "enorme.bmp");
    }

    void pasUnFichierOrdinaire()
    {
        QCOMPARE(chargerImage(m_dossier.filePath("absent.gif"), QSize()).erreur, QStringLiteral("Fichier introuvable"));
        QVERIFY(!chargerImage(m_dossier.path(), QSize()).ok());
        // A pipe would block a reader for ever.
        const QString tube = m_dossier.filePath("tube.jpg");
        QCOMPARE(mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
        const ResultatImage r = chargerImage(tube, QSize());
        QCOMPARE(r.erreur, QStringLiteral("Ce n'est pas un fichier d'image"));
        QVERIFY(!lireTailleNaturelle(tube).isValid());
    }

    void rle8()
    {
        // 6x2, bottom row first: a run of blue; then red, red, an absolute run G B G R.
        const QByteArray donnees("\x06\x03\x00\x00"
                                 "\x02\x01\x00\x04\x02\x03\x02\x01\x00\x00\x00\x01",
                                 16);
        const QString chemin = fichier("dessin.rle", essai::bmp(6, 2, 8, 1, {Noir, Rouge, Vert, Bleu}, donnees));
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, QSize(6, 2));
        const QImage i = lignes(r);
        const QList<QRgb> haut{Rouge, Rouge, Vert, Bleu, Vert, Rouge};
        for (int x = 0; x < 6; ++x) {
            QCOMPARE(i.pixel(x, 0), haut[x]);
            QCOMPARE(i.pixel(x, 1), Bleu);
        }
    }

    void rle4()
    {
        // 6x2, bottom row first: absolute run 3 3 3 1 1 1 (word-padded); then runs 1 2 1 2 and 3 3.
        const QByteArray donnees("\x00\x06\x33\x31\x11\x00\x00\x00"
                                 "\x04\x12\x02\x33\x00\x00\x00\x01",
                                 16);
        const QString chemin = fichier("dessin4.RLE", essai::bmp(6, 2, 4, 2, {Noir, Rouge, Vert, Bleu}, donnees));
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        const QImage i = lignes(r);
        const QList<QRgb> haut{Rouge, Vert, Rouge, Vert, Bleu, Bleu};
        const QList<QRgb> bas{Bleu, Bleu, Bleu, Rouge, Rouge, Rouge};
        for (int x = 0; x < 6; ++x) {
            QCOMPARE(i.pixel(x, 0), haut[x]);
            QCOMPARE(i.pixel(x, 1), bas[x]);
        }
    }

    void dibAvecEtSansEnteteDeFichier()
    {
        const QImage attendue = moitiesRougeBleu(13, 7);
        for (bool entete : {true, false}) {
            const QString chemin = fichier(entete ? "avec.dib" : "nu.dib", essai::bmp24(attendue, entete));
            QCOMPARE(lireTailleNaturelle(chemin), QSize(13, 7));
            const ResultatImage r = chargerImage(chemin, QSize());
            QVERIFY2(r.ok(), qPrintable(r.erreur));
            QCOMPARE(lignes(r), attendue);
        }
    }

    void formatSelonLeContenu()
    {
        // A JPEG named .bmp and a BMP named .jpg are both read.
        const QImage image = moitiesRougeBleu(40, 20);
        const ResultatImage j = chargerImage(fichier("photo.bmp", essai::jpeg(image)), QSize());
        QVERIFY2(j.ok(), qPrintable(j.erreur));
        QVERIFY(proche(j.image.pixel(5, 10), Rouge));
        const ResultatImage b = chargerImage(fichier("dessin.jpg", essai::bmp24(image)), QSize());
        QVERIFY2(b.ok(), qPrintable(b.erreur));
        QCOMPARE(lignes(b), image);
    }

    void orientationExif()
    {
        // Orientation 6: the stored left edge is shown at the top.
        const QString chemin = fichier("tournee.jpg", essai::jpeg(moitiesRougeBleu(40, 20), 6));
        QCOMPARE(lireTailleNaturelle(chemin), QSize(20, 40));
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, QSize(20, 40));
        QCOMPARE(r.image.size(), QSize(20, 40));
        QVERIFY(proche(r.image.pixel(10, 5), Rouge));
        QVERIFY(proche(r.image.pixel(10, 35), Bleu));
        // The cible is in shown orientation too.
        const ResultatImage petite = chargerImage(chemin, QSize(10, 20));
        QCOMPARE(petite.image.size(), QSize(10, 20));
    }

    void reductionAuDecodage()
    {
        const QString chemin = fichier("grande.jpg", essai::jpeg(moitiesRougeBleu(1600, 1200), 0, 90));
        const ResultatImage r = chargerImage(chemin, QSize(100, 75));
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, QSize(1600, 1200));
        QCOMPARE(r.image.size(), QSize(100, 75));
        QVERIFY(proche(r.image.pixel(10, 40), Rouge));
        QVERIFY(proche(r.image.pixel(90, 40), Bleu));
        // Stretched into a wide strip: covers it in both directions, proportions kept.
        QCOMPARE(chargerImage(chemin, QSize(200, 50)).image.size(), QSize(200, 150));
        QCOMPARE(chargerImage(chemin, QSize(4000, 4000)).image.size(), QSize(1600, 1200));
    }

    // The buffer of a larger picture gone is reused by the next: none of its pixels shows.
    void tamponReutiliseSansAnciensPixels()
    {
        QImage rouge(1600, 1200, QImage::Format_RGB32);
        rouge.fill(Rouge);
        QImage bleu(1500, 1000, QImage::Format_RGB32);
        bleu.fill(Bleu);
        const QString grande = fichier("rouge.jpg", essai::jpeg(rouge));
        const QString petite = fichier("bleu.jpg", essai::jpeg(bleu));
        QVERIFY(chargerImage(grande, QSize()).ok());
        QVERIFY(reserveimages::octetsLibres() >= qint64(1600) * 1200 * 4);
        const qint64 libres = reserveimages::octetsLibres();
        const ResultatImage r = chargerImage(petite, QSize());
        QVERIFY(reserveimages::octetsLibres() < libres); // decoded into the red one's buffer
        QCOMPARE(r.image.size(), QSize(1500, 1000));
        for (int y = 0; y < r.image.height(); ++y)
            for (int x = 0; x < r.image.width(); ++x)
                if (!proche(r.image.pixel(x, y), Bleu))
                    QFAIL(qPrintable(QStringLiteral("%1,%2 not blue").arg(x).arg(y)));
    }

    // A free buffer is kept while pictures keep taking it, and given back once unused
    // over a whole round of the idle check.
    void tamponsLibresRendusAuRepos()
    {
        reserveimages::rendreLesAnciens();
        reserveimages::rendreLesAnciens();
        QCOMPARE(reserveimages::octetsLibres(), 0);
        const qint64 octets = qint64(2000) * 1000 * 4;
        reserveimages::imageRgb32(QSize(2000, 1000)); // freed at once, into the pool
        QCOMPARE(reserveimages::octetsLibres(), octets);
        reserveimages::rendreLesAnciens();
        QCOMPARE(reserveimages::octetsLibres(), octets);
        reserveimages::imageRgb32(QSize(2000, 1000)); // taken and given back: young again
        reserveimages::rendreLesAnciens();
        QCOMPARE(reserveimages::octetsLibres(), octets);
        reserveimages::rendreLesAnciens();
        QCOMPARE(reserveimages::octetsLibres(), 0);
    }

    void jpegGeantBorneEnMemoire()
    {
        // A small JPEG whose frame header claims 30000x30000: decoded scaled, never whole.
        QByteArray octets = essai::jpeg(moitiesRougeBleu(64, 64));
        const qsizetype sof = octets.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        for (int i : {5, 7}) {
            octets[sof + i] = char(30000 >> 8);
            octets[sof + i + 1] = char(30000 & 0xFF);
        }
        const QString chemin = fichier("geante.jpg", octets);
        QCOMPARE(lireTailleNaturelle(chemin), QSize(30000, 30000));
        const ResultatImage r = chargerImage(chemin, QSize(200, 200));
        QCOMPARE(r.tailleNaturelle, QSize(30000, 30000));
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.image.size(), QSize(200, 200));
    }

    void formatsRecents_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("HEIC") << "photo.heic";
        QTest::newRow("AVIF") << "photo.avif";
        QTest::newRow("JPEG XL") << "photo.jxl";
    }

    void formatsRecents()
    {
        QFETCH(QString, nom);
        const QString chemin = produire(png(nom + ".png", moitiesRougeBleu(64, 48)), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        QCOMPARE(lireTailleNaturelle(chemin), QSize(64, 48));
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, QSize(64, 48));
        QCOMPARE(r.image.size(), QSize(64, 48));
        QVERIFY(proche(r.image.pixel(8, 24), Rouge, 40));
        QVERIFY(proche(r.image.pixel(56, 24), Bleu, 40));
        QCOMPARE(chargerImage(chemin, QSize(32, 24)).image.size(), QSize(32, 24));
    }

    void orientationDeclaree_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("HEIC irot") << "tournee.heic";
        QTest::newRow("JPEG XL") << "tournee.jxl";
    }

    // Turned a quarter clockwise (EXIF's 6): the stored left edge is shown at the top.
    void orientationDeclaree()
    {
        QFETCH(QString, nom);
        const QImage image = moitiesRougeBleu(40, 20);
        const bool jxl = nom.endsWith(QLatin1String(".jxl"));
        // cjxl carries a JPEG's EXIF orientation into its own header.
        const QString chemin =
            produire(jxl ? fichier("tournee.jpg", essai::jpeg(image, 6)) : png("tournee.png", image), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        if (!jxl) {
            // ImageMagick writes no irot: its pixi property, as long as an irot and the
            // same one in the primary image's associations, becomes a turn of 270°
            // anticlockwise (the bytes past the angle are left for the reader to skip).
            QByteArray octets = lire(chemin);
            const qsizetype pixi = octets.indexOf("pixi");
            QVERIFY(pixi > 0);
            octets.replace(pixi, 5, QByteArray("irot\x03", 5));
            QVERIFY(essai::ecrire(chemin, octets));
        }
        QCOMPARE(lireTailleNaturelle(chemin), QSize(20, 40));
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, QSize(20, 40));
        QCOMPARE(r.image.size(), QSize(20, 40));
        QVERIFY(proche(r.image.pixel(10, 5), Rouge, 40));
        QVERIFY(proche(r.image.pixel(10, 35), Bleu, 40));
    }

    void enteteGeant_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("HEIC") << "geante.heic";
        QTest::newRow("JPEG XL") << "geante.jxl";
    }

    // A header declaring 60000x60000 is turned down from the header, its size reported.
    void enteteGeant()
    {
        QFETCH(QString, nom);
        const QString chemin = produire(png(nom + ".png", moitiesRougeBleu(64, 48)), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        QByteArray octets = lire(chemin);
        if (nom.endsWith(QLatin1String(".jxl"))) {
            octets = jxlCarre(octets, 60000);
        } else {
            // Every image spatial extent: the primary image's and its tiles'.
            for (qsizetype i = octets.indexOf("ispe"); i > 0; i = octets.indexOf("ispe", i + 4)) {
                QByteArray cotes(8, '\0');
                qToBigEndian<quint32>(60000, cotes.data());
                qToBigEndian<quint32>(60000, cotes.data() + 4);
                octets.replace(i + 8, 8, cotes);
            }
        }
        QVERIFY(essai::ecrire(chemin, octets));
        QCOMPARE(lireTailleNaturelle(chemin), QSize(60000, 60000));
        const ResultatImage r = chargerImage(chemin, QSize(800, 600));
        QCOMPARE(r.erreur, texteImageTropGrande());
        QCOMPARE(r.tailleNaturelle, QSize(60000, 60000));
    }

    // A HEIF file's own thumbnail serves a size it covers; a larger one takes the primary image.
    void vignetteHeif()
    {
        // Primary image red, thumbnail blue: the colour shows which one was decoded.
        const QString chemin = m_dossier.filePath(QStringLiteral("vignette.heic"));
        if (!ecrireHeicAvecVignette(chemin, QSize(400, 300), Rouge, Bleu, 200))
            QSKIP("libheif has no HEVC encoder here");
        QCOMPARE(lireTailleNaturelle(chemin), QSize(400, 300));
        const ResultatImage petite = chargerImage(chemin, QSize(160, 120));
        QVERIFY2(petite.ok(), qPrintable(petite.erreur));
        QCOMPARE(petite.tailleNaturelle, QSize(400, 300));
        QCOMPARE(petite.image.size(), QSize(160, 120));
        QVERIFY(proche(petite.image.pixel(80, 60), Bleu, 40));
        const ResultatImage grande = chargerImage(chemin, QSize(300, 225));
        QCOMPARE(grande.image.size(), QSize(300, 225));
        QVERIFY(proche(grande.image.pixel(150, 110), Rouge, 40));
    }

    void profilDuFichier_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QColorSpace::Primaries>("primaires");
        QTest::newRow("JPEG XL, Adobe RGB ICC") << "a98.jxl" << QColorSpace::Primaries::AdobeRgb;
        QTest::newRow("AVIF, Display P3 nclx") << "p3.avif" << QColorSpace::Primaries::DciP3D65;
    }

    // The colours the file declares come with the picture, as an ICC profile.
    void profilDuFichier()
    {
        QFETCH(QString, nom);
        QFETCH(QColorSpace::Primaries, primaires);
        const bool jxl = nom.endsWith(QLatin1String(".jxl"));
        QImage image = moitiesRougeBleu(64, 48);
        QFile a98(QStringLiteral("/usr/share/color/icc/ghostscript/a98.icc"));
        if (jxl && !a98.open(QIODevice::ReadOnly))
            QSKIP("a98.icc (ghostscript) is not installed");
        if (jxl)
            image.setColorSpace(QColorSpace::fromIccProfile(a98.readAll()));
        // Lossless: a lossy file's pixels come out of the decoder in other colours.
        const QString chemin = produire(png(nom + ".png", image), nom, jxl ? QStringList{"-d", "0"} : QStringList());
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        if (!jxl) {
            // ImageMagick declares no primaries; Display P3's (12) and sRGB's curve (13) instead.
            QByteArray octets = lire(chemin);
            const qsizetype nclx = octets.indexOf("colrnclx");
            QVERIFY(nclx > 0);
            octets.replace(nclx + 8, 4, QByteArray("\x00\x0C\x00\x0D", 4));
            QVERIFY(essai::ecrire(chemin, octets));
        }
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(QColorSpace::fromIccProfile(r.profilIcc).primaries(), primaires);
        // Pixels are handed over as stored; converting them is left to the caller.
        QVERIFY(proche(r.image.pixel(8, 24), Rouge, 40));
    }

    // A decode nobody wants any more stops between the library's steps.
    void decodageAnnuleFormatsRecents_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("HEIC") << "annule.heic";
        QTest::newRow("JPEG XL") << "annule.jxl";
    }

    void decodageAnnuleFormatsRecents()
    {
        QFETCH(QString, nom);
        const QString chemin = produire(png(nom + ".png", moitiesRougeBleu(64, 48)), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        const std::atomic<bool> annule{true};
        QVERIFY(!chargerImage(chemin, QSize(), Qt::black, &annule).ok());
        const std::atomic<bool> voulu{false};
        QVERIFY(chargerImage(chemin, QSize(), Qt::black, &voulu).ok());
    }

    void gifTransparentSurLeFond()
    {
        // 2x2: red, green / blue, transparent (index 3).
        const QByteArray indices("\x00\x01\x02\x03", 4);
        const QString chemin = fichier("transparent.gif", essai::gif(2, 2, {Rouge, Vert, Bleu, Noir}, indices, 3));
        for (QColor fond : {QColor(Qt::magenta), QColor(Qt::yellow)}) {
            const ResultatImage r = chargerImage(chemin, QSize(), fond);
            QVERIFY2(r.ok(), qPrintable(r.erreur));
            QVERIFY(!r.image.hasAlphaChannel());
            QCOMPARE(r.image.pixel(0, 0), Rouge);
            QCOMPARE(r.image.pixel(1, 0), Vert);
            QCOMPARE(r.image.pixel(0, 1), Bleu);
            QCOMPARE(r.image.pixel(1, 1), fond.rgb());
        }
    }

    void pngTranslucideSurLeFond()
    {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(qRgba(255, 0, 0, 128));
        const QString chemin = m_dossier.filePath("verre.png");
        QVERIFY(image.save(chemin));
        const ResultatImage r = chargerImage(chemin, QSize(), Qt::blue);
        QVERIFY(proche(r.image.pixel(2, 2), qRgb(128, 0, 127), 2));
    }

    // A decode nobody wants any more stops at its next read and says so, and the
    // same file decodes whole when asked again.
    void decodageAnnule()
    {
        const QString chemin = fichier("annule.jpg", essai::jpeg(moitiesRougeBleu(640, 480)));
        const std::atomic<bool> annule{true};
        QVERIFY(!chargerImage(chemin, QSize(), Qt::black, &annule).ok());
        const std::atomic<bool> voulu{false};
        const ResultatImage r = chargerImage(chemin, QSize(), Qt::black, &voulu);
        QVERIFY(r.ok());
        QCOMPARE(r.image.size(), QSize(640, 480));
    }

    // Cut in the middle of its data, a decode is no damaged picture: nothing is
    // shown or kept.
    void decodageCoupeEnCoursDeLecture()
    {
        QImage bruit(2000, 1500, QImage::Format_RGB32);
        QRandomGenerator alea(7);
        for (int y = 0; y < bruit.height(); ++y)
            alea.fillRange(reinterpret_cast<quint32*>(bruit.scanLine(y)), bruit.width());
        // Ordinary JPEGs are read whole before libjpeg decodes them: a PNG is read
        // as it decodes, through Qt's reader.
        QByteArray octets;
        QBuffer tampon(&octets);
        QVERIFY(tampon.open(QIODevice::WriteOnly) && bruit.save(&tampon, "PNG"));
        const QString chemin = fichier("coupee.png", octets);
        // The loader's position in the file, from its descriptor; -1 once closed.
        const auto position = [&chemin] {
            for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System))
                if (QFile info(QStringLiteral("/proc/self/fdinfo/") + fd.fileName());
                    fd.symLinkTarget() == chemin && info.open(QIODevice::ReadOnly))
                    return info.readLine().mid(4).trimmed().toLongLong();
            return -1LL;
        };
        std::atomic<bool> annule{false}, fini{false}, aTemps{false};
        std::thread guetteur([&] {
            while (!fini && !annule)
                if (position() > octets.size() / 4) {
                    annule = true;
                    const qint64 apres = position(); // data still to read: the loader meets the flag
                    aTemps = apres >= 0 && apres < octets.size();
                }
        });
        const ResultatImage r = chargerImage(chemin, QSize(), Qt::black, &annule);
        fini = true;
        guetteur.join();
        if (!aTemps)
            QSKIP("the decode read the whole file before the watching thread ran: the machine is too busy");
        QCOMPARE(r.erreur, QStringLiteral("Lecture annulée"));
    }

    // Bitmaps without a file header and drawings are read from memory: they stop too.
    void decodageAnnuleEnMemoire_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("octets");
        QImage quart(640, 480, QImage::Format_RGB32);
        quart.fill(Bleu);
        QPainter(&quart).fillRect(0, 0, 320, 240, Rouge);
        QTest::addColumn<QImage>("attendue");
        QTest::newRow("DIB") << "annule.dib" << essai::bmp24(quart, false) << quart;
        QTest::newRow("SVG") << "annule.svg"
                             << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"640\" height=\"480\">"
                                           "<rect width=\"640\" height=\"480\" fill=\"blue\"/>"
                                           "<rect width=\"320\" height=\"240\" fill=\"red\"/></svg>")
                             << quart;
    }

    void decodageAnnuleEnMemoire()
    {
        QFETCH(QString, nom);
        QFETCH(QByteArray, octets);
        QFETCH(QImage, attendue);
        const QString chemin = fichier(nom, octets);
        const std::atomic<bool> annule{true};
        QCOMPARE(chargerImage(chemin, QSize(), Qt::black, &annule).erreur, QStringLiteral("Lecture annulée"));
        const ResultatImage r = chargerImage(chemin, QSize(), Qt::black);
        QVERIFY(r.ok());
        QCOMPARE(r.image, attendue); // drawings are rendered in bands: none is out of place
    }

    void plusieursFilsALaFois()
    {
        const QString chemin = fichier("partagee.jpg", essai::jpeg(moitiesRougeBleu(800, 600), 0, 90));
        const QImage reference = chargerImage(chemin, QSize(160, 120)).image;
        std::vector<QImage> obtenues(4);
        std::vector<std::thread> fils;
        for (size_t i = 0; i < obtenues.size(); ++i)
            fils.emplace_back([&, i] { obtenues[i] = chargerImage(chemin, QSize(160, 120)).image; });
        for (std::thread& f : fils)
            f.join();
        for (const QImage& i : obtenues)
            QCOMPARE(i, reference);
    }

    void profilIncorpore_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("profil");
        for (const char* format : {"jpg", "png", "webp"}) {
            QTest::addRow("%s romm", format) << format << "romm";
            QTest::addRow("%s a98", format) << format << "a98";
        }
        // One lcms turns down: the picture is shown as sRGB, without a word.
        QTest::addRow("png endommagé") << "png"
                                       << "endommagé";
    }

    // The picture's numbers are in its profile's colours; what comes out is in sRGB,
    // the display's when none is set.
    void profilIncorpore()
    {
        QFETCH(QString, format);
        QFETCH(QString, profil);
        QByteArray icc = profil == u"a98" ? profilsessai::debian("a98.icc") : profilsessai::romm();
        if (profil == u"endommagé")
            icc.replace(36, 4, "XXXX"); // the "acsp" signature
        if (icc.isEmpty())
            QSKIP("a98.icc absent : paquet ghostscript non installé");
        const QRgb stockee = qRgb(100, 150, 79);
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(stockee);
        const QByteArray octets = format == u"jpg"   ? profilsessai::jpeg(image, icc)
                                  : format == u"png" ? profilsessai::png(image, icc)
                                                     : profilsessai::webp(image, icc);
        const ResultatImage r = chargerImage(fichier("profil." + format, octets), QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        const QRgb attendue = profil == u"endommagé" ? stockee : profilsessai::convertir(stockee, icc);
        QVERIFY2(proche(r.image.pixel(16, 16), attendue, 2),
                 qPrintable(QStringLiteral("%1 au lieu de %2").arg(r.image.pixel(16, 16), 0, 16).arg(attendue, 0, 16)));
    }

    // A CMYK JPEG's inks converted through its profile, and its EXIF orientation
    // made as for any other JPEG (5 and 7 tell the mirroring first from the turn first).
    void jpegCmjnAvecProfil_data()
    {
        QTest::addColumn<int>("orientation");
        for (int o : {0, 5, 7})
            QTest::addRow("orientation %d", o) << o;
    }

    void jpegCmjnAvecProfil()
    {
        QFETCH(int, orientation);
        const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert-im6.q16"));
        const QByteArray cmjn = profilsessai::debian("default_cmyk.icc");
        if (convert.isEmpty() || cmjn.isEmpty())
            QSKIP("ImageMagick ou default_cmyk.icc (ghostscript) absent");
        const QRgb teintes[] = {qRgb(40, 120, 200), qRgb(200, 70, 50), qRgb(70, 160, 80)};
        QImage image(64, 32, QImage::Format_RGB32);
        image.fill(teintes[0]);
        QPainter(&image).fillRect(32, 0, 32, 16, QColor(teintes[1]));
        QPainter(&image).fillRect(32, 16, 32, 16, QColor(teintes[2]));
        const QString png = fichier("source.png", profilsessai::ecrire(image, "png"));
        const QString srgb = fichier("srgb.icc", profilsessai::debian("srgb.icc"));
        const QString jpg = m_dossier.filePath("cmjn.jpg");
        QCOMPARE(
            QProcess::execute(convert, {png, "-profile", srgb, "-profile",
                                        "/usr/share/color/icc/ghostscript/default_cmyk.icc", "-quality", "100", jpg}),
            0);
        QFile encre(jpg);
        QVERIFY(encre.open(QIODevice::ReadOnly));
        QByteArray octets = encre.readAll();
        // The EXIF segment of an RGB test JPEG, laid after the start-of-image marker.
        const QByteArray exif = essai::jpeg(QImage(8, 8, QImage::Format_RGB32), orientation);
        if (orientation > 0)
            octets.insert(2, exif.mid(2, 2 + ((uchar(exif[4]) << 8) | uchar(exif[5]))));
        const ResultatImage r = chargerImage(fichier("cmjn-exif.jpg", octets), QSize(64, 64));
        const ResultatImage rvb = chargerImage(fichier("rvb-exif.jpg", essai::jpeg(image, orientation)), QSize(64, 64));
        QVERIFY2(r.ok() && rvb.ok(), qPrintable(r.erreur + rvb.erreur));
        QCOMPARE(r.image.size(), rvb.image.size());
        // Each area where the RGB file shows it, there and back through the inks as Little CMS goes.
        for (const QPoint p : {QPoint(8, 8), QPoint(8, 56), QPoint(24, 8), QPoint(24, 56)}) {
            const QPoint q(p.x() * r.image.width() / 32, p.y() * r.image.height() / 64);
            const QRgb* teinte = std::find_if(std::begin(teintes), std::end(teintes),
                                              [&](QRgb t) { return proche(rvb.image.pixel(q), t, 12); });
            QVERIFY(teinte != std::end(teintes));
            const QRgb attendue = cmjnAllerRetour(*teinte, cmjn);
            QVERIFY2(proche(r.image.pixel(q), attendue, 6),
                     qPrintable(QStringLiteral("%1 au lieu de %2").arg(r.image.pixel(q), 0, 16).arg(attendue, 0, 16)));
        }
    }

    // "Ouvrir avec" offers Ormelle for every type the loader reads on this machine (Qt's
    // plugins, WMF, libheif's and libjxl's), and for none it cannot read.
    void lanceurAnnonceLesTypesLus()
    {
        QFile lanceur(QStringLiteral(ORMELLE_SOURCE_DATA "/io.github.ormelle.desktop"));
        QVERIFY(lanceur.open(QIODevice::ReadOnly));
        const QMimeDatabase base;
        // Aliases (image/x-wmf) count as the type they stand for.
        const auto nom = [&](const QString& type) {
            const QMimeType t = base.mimeTypeForName(type);
            return t.isValid() ? t.name() : type;
        };
        QSet<QString> annonces;
        for (const QByteArray& ligne : lanceur.readAll().split('\n'))
            if (ligne.startsWith("MimeType="))
                for (const QString& type : QString::fromUtf8(ligne.mid(9)).split(u';', Qt::SkipEmptyParts))
                    annonces << nom(type);
        QSet<QString> lus{nom(QStringLiteral("image/wmf"))};
        for (const char* type : {"image/heic", "image/heif", "image/avif", "image/jxl"})
            lus << nom(QString::fromLatin1(type));
        for (const QByteArray& type : QImageReader::supportedMimeTypes())
            lus << nom(QString::fromLatin1(type));
        QVERIFY2((lus - annonces).isEmpty(), qPrintable(QStringList((lus - annonces).values()).join(u' ')));
        QVERIFY2((annonces - lus).isEmpty(), qPrintable(QStringList((annonces - lus).values()).join(u' ')));
    }
};

QTEST_MAIN(TestChargeurImage)
#include "tst_chargeurimage.moc"
