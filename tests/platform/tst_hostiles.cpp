// Files made to cost a viewer gigabytes or minutes: each must give a picture or a
// clean error, within the decoding budget, measured in a child process.
#include "commun/connexionsrompues.h"
#include "commun/sondememoire.h"
#include "imagesessai.h"
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTemporaryDir>
#include "commun/fichiershostiles.h"

#include <QtTest>

#include <zlib.h>

namespace {

const QSize Ecran(1920, 1080);

QByteArray jpegReel(QImage::Format format, bool progressif, QSize taille = QSize(16, 16))
{
    QImage image(taille, format);
    image.fill(Qt::gray);
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter ecrivain(&tampon, "jpeg");
    ecrivain.setProgressiveScanWrite(progressif);
    ecrivain.write(image);
    return octets;
}

// A small real JPEG whose frame header claims another size: libjpeg sizes its buffers
// from the header and makes up the missing data.
QByteArray jpegAnnoncant(QSize annonce, bool progressif, bool gris = false)
{
    QByteArray o = jpegReel(gris ? QImage::Format_Grayscale8 : QImage::Format_RGB32, progressif);
    const int i = int(o.indexOf(progressif ? "\xFF\xC2" : "\xFF\xC0"));
    if (i < 0)
        return {};
    o[i + 5] = char(annonce.height() >> 8);
    o[i + 6] = char(annonce.height() & 0xFF);
    o[i + 7] = char(annonce.width() >> 8);
    o[i + 8] = char(annonce.width() & 0xFF);
    return o;
}

// A JPEG header libjpeg reads on where a strict scan would stop: one stray byte
// before a marker, or more segments than anyone would count.
QByteArray avecOctetParasite(QByteArray o, const QByteArray& avant = "\xFF\xC2")
{
    o.insert(o.indexOf(avant), '\0');
    return o;
}

QByteArray avecCommentaires(QByteArray o, int n)
{
    o.insert(2, QByteArray("\xFF\xFE\x00\x02", 4).repeated(n));
    return o;
}

// gzip of an SVG whose comment inflates to `octets` bytes, deflated a chunk at a time.
QByteArray svgzBombe(qint64 octets)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray sortie;
    char tampon[65536];
    auto pousser = [&](const QByteArray& morceau, int fin) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(morceau.constData()));
        z.avail_in = uInt(morceau.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(tampon);
            z.avail_out = sizeof tampon;
            deflate(&z, fin);
            sortie.append(tampon, qsizetype(sizeof tampon - z.avail_out));
        } while (z.avail_out == 0);
    };
    pousser("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\"><!--", Z_NO_FLUSH);
    const QByteArray bloc(1 << 20, ' ');
    for (qint64 n = 0; n < octets; n += bloc.size())
        pousser(bloc, Z_NO_FLUSH);
    pousser("--><rect width=\"100\" height=\"100\"/></svg>", Z_FINISH);
    deflateEnd(&z);
    return sortie;
}

} // namespace

class TestHostiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dossier;

    QString fichier(const QString& nom, const QByteArray& octets) { return ecrireHostile(m_dossier, nom, octets); }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase() { QVERIFY(m_dossier.isValid()); }

    void dansLeBudget_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QString>("erreur");
        const QString tropGrande = texteImageTropGrande();
        QTest::newRow("progressif 65500²")
            << "progressif-65500.jpg" << jpegAnnoncant({65500, 65500}, true) << false << tropGrande;
        QTest::newRow("progressif 20000²")
            << "progressif-20000.jpg" << jpegAnnoncant({20000, 20000}, true) << false << tropGrande;
        QTest::newRow("progressif gris 20000²")
            << "progressif-gris-20000.jpg" << jpegAnnoncant({20000, 20000}, true, true) << false << tropGrande;
        QTest::newRow("progressif gris 6000²")
            << "progressif-gris-6000.jpg" << jpegAnnoncant({6000, 6000}, true, true) << true << QString();
        QTest::newRow("progressif 4000x3000")
            << "progressif-4000.jpg" << jpegAnnoncant({4000, 3000}, true) << true << QString();
        QTest::newRow("progressif 20000² octet parasite")
            << "parasite-20000.jpg" << avecOctetParasite(jpegAnnoncant({20000, 20000}, true)) << false << tropGrande;
        QTest::newRow("progressif 20000² octet parasite après SOI")
            << "parasite-soi-20000.jpg" << avecOctetParasite(jpegAnnoncant({20000, 20000}, true), "\xFF\xE0") << false
            << tropGrande;
        QTest::newRow("progressif 20000² 4100 commentaires")
            << "commentaires-20000.jpg" << avecCommentaires(jpegAnnoncant({20000, 20000}, true), 4100) << false
            << tropGrande;
        QTest::newRow("ordinaire 65500²")
            << "ordinaire-65500.jpg" << jpegAnnoncant({65500, 65500}, false) << false << tropGrande;
        QTest::newRow("svgz nommé jpg") << "bombe-svgz.jpg" << svgzBombe(256 << 20) << false
                                        << "Ce fichier contient un dessin SVG, pas une image";
        QTest::newRow("svgz qui gonfle") << "bombe.svgz" << svgzBombe(256 << 20) << false << texteImageTropComplexe();
        QTest::newRow("svg nommé bmp") << "dessin.bmp"
                                       << QByteArray(
                                              "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\""
                                              " width=\"10\" height=\"10\"/>")
                                       << false << "Ce fichier contient un dessin SVG, pas une image";
        QTest::newRow("pdf nommé jpg") << "document.jpg" << QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n")
                                       << false << "Ce fichier contient un document PDF, pas une image";
        QTest::newRow("texte nommé gif") << "notes.gif" << QByteArray("Liste des courses :\n- pain\n- café\n") << false
                                         << "Ce fichier contient du texte, pas une image";
    }

    void dansLeBudget()
    {
        QFETCH(QString, nom);
        QFETCH(QByteArray, octets);
        QFETCH(bool, image);
        QFETCH(QString, erreur);
        QVERIFY(!octets.isEmpty());
        const sonde::Mesure m = sonde::mesurer(fichier(nom, octets), Ecran);
        QVERIFY2(m.lancee, "the decoding child did not finish");
        QCOMPARE(m.image, image);
        QCOMPARE(m.erreur, erreur);
        QVERIFY2(m.octetsPic < sonde::PicMax, qPrintable(QString::number(m.octetsPic >> 20) + " MiB"));
    }

    // The size the browser and the full screen ask first must not cost a decode either.
    void tailleSansDecodage()
    {
        QCOMPARE(lireTailleNaturelle(fichier("t.jpg", jpegAnnoncant({65500, 65500}, true))), QSize(65500, 65500));
        QCOMPARE(lireTailleNaturelle(fichier("t.svgz", svgzBombe(1 << 20))), QSize(100, 100));
        QVERIFY(!lireTailleNaturelle(fichier("t.pdf.jpg", "%PDF-1.7\n")).isValid());
        const QString svg =
            fichier("vrai.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"3in\" height=\"2in\">"
                                "<rect width=\"100%\" height=\"100%\" fill=\"red\"/></svg>");
        QCOMPARE(lireTailleNaturelle(svg), QSize(270, 180));
        const ResultatImage r = chargerImage(svg, QSize(135, 90));
        QVERIFY(r.ok());
        QCOMPARE(r.tailleNaturelle, QSize(270, 180));
        QCOMPARE(QColor(r.image.pixel(10, 10)), QColor(Qt::red));
    }

    // Qt's renderer hands back nothing for a drawing with no size at all: the user is still told why.
    void dessinSansTaille()
    {
        const ResultatImage r =
            chargerImage(fichier("sans-taille.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"), Ecran);
        QVERIFY(!r.ok());
        QCOMPARE(r.erreur, QStringLiteral("Image endommagée ou illisible"));
    }

    // Pictures written as text are pictures.
    void imagesEnTexte()
    {
        const ResultatImage r = chargerImage(fichier("p.pbm", "P1\n2 2\n1 0\n0 1\n"), QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.image.size(), QSize(2, 2));
    }

    void budgetSuitLaCible()
    {
        const dimensions::Budget hd = dimensions::budgetPour(Ecran);
        const dimensions::Budget k8 = dimensions::budgetPour(QSize(7680, 4320));
        QVERIFY(k8.octets >= hd.octets);
        QVERIFY(k8.travailWmf > hd.travailWmf);
        QVERIFY(k8.octets < sonde::PicMax);
        // A full-screen 8K picture from a 16K photo: decoded at 1/2, within the budget.
        const QSize photo(15360, 8640);
        const qint64 coefficients = formatimage::lireInfoJpeg(jpegAnnoncant(photo, true)).octetsCoefficients;
        QCOMPARE(dimensions::echelleJpeg(photo, QSize(7680, 4320), 0, k8), 4);
        // Its progressive twin keeps 400 MB of coefficients, whatever the scale: refused.
        QVERIFY(coefficients > 390'000'000);
        QCOMPARE(dimensions::echelleJpeg(photo, QSize(7680, 4320), coefficients, k8), 0);
        // A progressive picture of the screen's own size is shown whole.
        const QSize ecran8k(7680, 4320);
        const qint64 c8k = formatimage::lireInfoJpeg(jpegAnnoncant(ecran8k, true)).octetsCoefficients;
        QCOMPARE(dimensions::echelleJpeg(ecran8k, ecran8k, c8k, k8), 8);
    }

    void infoJpeg()
    {
        const formatimage::InfoJpeg ordinaire = formatimage::lireInfoJpeg(jpegAnnoncant({800, 600}, false));
        QVERIFY(ordinaire.ok);
        QCOMPARE(ordinaire.taille, QSize(800, 600));
        QCOMPARE(ordinaire.octetsCoefficients, 0);
        const formatimage::InfoJpeg gris = formatimage::lireInfoJpeg(jpegAnnoncant({800, 600}, true, true));
        QVERIFY(gris.progressif);
        QCOMPARE(gris.octetsCoefficients, qint64(100 * 75) * 128);
        QVERIFY(!formatimage::lireInfoJpeg(QByteArray("\xFF\xD8\xFF\xE0\x00", 5)).ok);
    }
};

int main(int argc, char** argv)
{
    QGuiApplication appli(argc, argv);
    if (sonde::executerSiEnfant())
        return 0;
    TestHostiles t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_hostiles.moc"
