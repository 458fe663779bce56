// HEIC, AVIF and JPEG XL pictures, made by the tools that write them: read at their
// size and orientation, turned down from a giant header, their own thumbnail used,
// their declared colours handed over, their decode stopped when nobody wants it.
#include "chargementessai.h"
#include "commun/connexionsrompues.h"
#include "imagesessai.h"
#include "platform/chargeurimage.h"

#include <QColorSpace>
#include <QFile>
#include <QtEndian>

#include <libheif/heif.h>
#include <QtTest>

namespace {

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
} // namespace

class TestFormatsRecents : public QObject {
    Q_OBJECT

    DossierImages m_dossier;

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase() { QVERIFY(m_dossier.isValid()); }

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
        const QString chemin = m_dossier.produire(m_dossier.png(nom + ".png", moitiesRougeBleu(64, 48)), nom);
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
        const QString chemin = m_dossier.produire(
            jxl ? m_dossier.fichier("tournee.jpg", essai::jpeg(image, 6)) : m_dossier.png("tournee.png", image), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        if (!jxl) {
            // ImageMagick writes no irot: its pixi property, as long as an irot and the
            // same one in the primary image's associations, becomes a turn of 270°
            // anticlockwise (the bytes past the angle are left for the reader to skip).
            QByteArray octets = m_dossier.lire(chemin);
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
        const QString chemin = m_dossier.produire(m_dossier.png(nom + ".png", moitiesRougeBleu(64, 48)), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        QByteArray octets = m_dossier.lire(chemin);
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
        const QString chemin =
            m_dossier.produire(m_dossier.png(nom + ".png", image), nom, jxl ? QStringList{"-d", "0"} : QStringList());
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        if (!jxl) {
            // ImageMagick declares no primaries; Display P3's (12) and sRGB's curve (13) instead.
            QByteArray octets = m_dossier.lire(chemin);
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
        const QString chemin = m_dossier.produire(m_dossier.png(nom + ".png", moitiesRougeBleu(64, 48)), nom);
        if (chemin.isEmpty())
            QSKIP("convert (imagemagick) or cjxl (libjxl-tools) is not installed");
        const std::atomic<bool> annule{true};
        QVERIFY(!chargerImage(chemin, QSize(), Qt::black, &annule).ok());
        const std::atomic<bool> voulu{false};
        QVERIFY(chargerImage(chemin, QSize(), Qt::black, &voulu).ok());
    }
};

QTEST_MAIN(TestFormatsRecents)
#include "tst_formatsrecents.moc"
