// The loader on the formats Qt reads: unreadable files, bitmaps, orientation, decoding
// at the size shown, buffers, colour profiles, cancelled decodes.
#include "chargementessai.h"
#include "commun/connexionsrompues.h"
#include "commun/profilsessai.h"
#include "imagesessai.h"
#include "platform/chargeurimage.h"
#include "platform/reserveimages.h"

#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>
#include <thread>
#include <vector>

class TestChargeurImage : public QObject {
    Q_OBJECT

    DossierImages m_dossier;

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase() { QVERIFY(m_dossier.isValid()); }

    // Early, before other pictures: a JPEG is read by Qt's JPEG plugin alone, as asking
    // each plugin whether it reads JPEG would load them all.
    void jpegSansAutrePlugin()
    {
        // Written by ImageMagick from a bare PPM: Qt's writer would ask every plugin too.
        const QString ppm =
            m_dossier.fichier("seule.ppm", QByteArray("P6\n64 48\n255\n") + QByteArray(64 * 48 * 3, '\x80'));
        const QString chemin = m_dossier.produire(ppm, QStringLiteral("seule.jpg"));
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) is not installed");
        const QSet<QByteArray> avant = pluginsImagesCharges();
        QVERIFY(chargerImage(chemin, QSize(32, 24)).ok());
        QSet<QByteArray> nouveaux = pluginsImagesCharges() - avant;
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
        const ResultatImage r = chargerImage(m_dossier.fichier(nom, octets), QSize(100, 100));
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

    void rle_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("donnees");
        QTest::addColumn<QList<QRgb>>("haut");
        QTest::addColumn<QList<QRgb>>("bas");
        // 6x2, bottom row first: a run of blue; then red, red, an absolute run G B G R.
        QTest::newRow("RLE8") << "dessin.rle" << 8
                              << QByteArray("\x06\x03\x00\x00"
                                            "\x02\x01\x00\x04\x02\x03\x02\x01\x00\x00\x00\x01",
                                            16)
                              << QList<QRgb>{Rouge, Rouge, Vert, Bleu, Vert, Rouge} << QList<QRgb>(6, Bleu);
        // 6x2, bottom row first: absolute run 3 3 3 1 1 1 (word-padded); then runs 1 2 1 2 and 3 3.
        QTest::newRow("RLE4") << "dessin4.RLE" << 4
                              << QByteArray("\x00\x06\x33\x31\x11\x00\x00\x00"
                                            "\x04\x12\x02\x33\x00\x00\x00\x01",
                                            16)
                              << QList<QRgb>{Rouge, Vert, Rouge, Vert, Bleu, Bleu}
                              << QList<QRgb>{Bleu, Bleu, Bleu, Rouge, Rouge, Rouge};
    }

    void rle()
    {
        QFETCH(QString, nom);
        QFETCH(int, bits);
        QFETCH(QByteArray, donnees);
        QFETCH(QList<QRgb>, haut);
        QFETCH(QList<QRgb>, bas);
        const QString chemin =
            m_dossier.fichier(nom, essai::bmp(6, 2, bits, bits == 8 ? 1 : 2, {Noir, Rouge, Vert, Bleu}, donnees));
        const ResultatImage r = chargerImage(chemin, QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, QSize(6, 2));
        const QImage i = lignes(r);
        for (int x = 0; x < 6; ++x) {
            QCOMPARE(i.pixel(x, 0), haut[x]);
            QCOMPARE(i.pixel(x, 1), bas[x]);
        }
    }

    void dibAvecEtSansEnteteDeFichier()
    {
        const QImage attendue = moitiesRougeBleu(13, 7);
        for (bool entete : {true, false}) {
            const QString chemin = m_dossier.fichier(entete ? "avec.dib" : "nu.dib", essai::bmp24(attendue, entete));
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
        const ResultatImage j = chargerImage(m_dossier.fichier("photo.bmp", essai::jpeg(image)), QSize());
        QVERIFY2(j.ok(), qPrintable(j.erreur));
        QVERIFY(proche(j.image.pixel(5, 10), Rouge));
        const ResultatImage b = chargerImage(m_dossier.fichier("dessin.jpg", essai::bmp24(image)), QSize());
        QVERIFY2(b.ok(), qPrintable(b.erreur));
        QCOMPARE(lignes(b), image);
    }

    void orientationExif()
    {
        // Orientation 6: the stored left edge is shown at the top.
        const QString chemin = m_dossier.fichier("tournee.jpg", essai::jpeg(moitiesRougeBleu(40, 20), 6));
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
        const QString chemin = m_dossier.fichier("grande.jpg", essai::jpeg(moitiesRougeBleu(1600, 1200), 0, 90));
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
        const QString grande = m_dossier.fichier("rouge.jpg", essai::jpeg(unie(QSize(1600, 1200), Rouge)));
        const QString petite = m_dossier.fichier("bleu.jpg", essai::jpeg(unie(QSize(1500, 1000), Bleu)));
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
        const QString chemin = m_dossier.fichier("geante.jpg", octets);
        QCOMPARE(lireTailleNaturelle(chemin), QSize(30000, 30000));
        const ResultatImage r = chargerImage(chemin, QSize(200, 200));
        QCOMPARE(r.tailleNaturelle, QSize(30000, 30000));
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.image.size(), QSize(200, 200));
    }

    void gifTransparentSurLeFond()
    {
        // 2x2: red, green / blue, transparent (index 3).
        const QByteArray indices("\x00\x01\x02\x03", 4);
        const QString chemin =
            m_dossier.fichier("transparent.gif", essai::gif(2, 2, {Rouge, Vert, Bleu, Noir}, indices, 3));
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
        const QString chemin = m_dossier.fichier("annule.jpg", essai::jpeg(moitiesRougeBleu(640, 480)));
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
        // Ordinary JPEGs are read whole before libjpeg decodes them: a PNG is read
        // as it decodes, through Qt's reader.
        const QByteArray octets = enPng(bruit(2000, 1500));
        QVERIFY(!octets.isEmpty());
        const QString chemin = m_dossier.fichier("coupee.png", octets);
        std::atomic<bool> annule{false}, fini{false}, aTemps{false};
        std::thread guetteur([&] {
            while (!fini && !annule)
                if (positionDeLecture(chemin) > octets.size() / 4) {
                    annule = true;
                    const qint64 apres = positionDeLecture(chemin); // data still to read: the loader meets the flag
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
        const QString chemin = m_dossier.fichier(nom, octets);
        const std::atomic<bool> annule{true};
        QCOMPARE(chargerImage(chemin, QSize(), Qt::black, &annule).erreur, QStringLiteral("Lecture annulée"));
        const ResultatImage r = chargerImage(chemin, QSize(), Qt::black);
        QVERIFY(r.ok());
        QCOMPARE(r.image, attendue); // drawings are rendered in bands: none is out of place
    }

    void plusieursFilsALaFois()
    {
        const QString chemin = m_dossier.fichier("partagee.jpg", essai::jpeg(moitiesRougeBleu(800, 600), 0, 90));
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
        const ResultatImage r = chargerImage(m_dossier.fichier("profil." + format, octets), QSize());
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
        QByteArray octets = m_dossier.jpegCmjn(convert, image);
        QVERIFY(!octets.isEmpty());
        insererExif(octets, orientation);
        const ResultatImage r = chargerImage(m_dossier.fichier("cmjn-exif.jpg", octets), QSize(64, 64));
        const ResultatImage rvb =
            chargerImage(m_dossier.fichier("rvb-exif.jpg", essai::jpeg(image, orientation)), QSize(64, 64));
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
