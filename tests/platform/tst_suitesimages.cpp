// The public conformance suites (BMP, GIF, JPEG) through the picture loader.
#include "imagesessai.h"
#include "platform/chargeurimage.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

namespace {

const QRgb Fond = qRgb(12, 200, 34); // a colour no suite uses, to show transparency

// The bmpsuite reference rendering each "good" file must match.
QString jumelleBmp(const QString& nom)
{
    static const QHash<QString, QString> jumelles{
        {"pal1wb", "pal1"},      {"pal4rle", "pal4"},     {"pal8-0", "pal8"},
        {"pal8os2", "pal8"},     {"pal8rle", "pal8"},     {"pal8topdown", "pal8"},
        {"pal8v4", "pal8"},      {"pal8v5", "pal8"},      {"rgb16-565pal", "rgb16-565"},
        {"rgb16bfdef", "rgb16"}, {"rgb24pal", "rgb24"},   {"rgb32", "rgb24"},
        {"rgb32bf", "rgb24"},    {"rgb32bfdef", "rgb24"}, {"pal8nonsquare", "pal8nonsquare-e"}};
    return jumelles.value(nom, nom);
}

QImage lireRgba(const QString& chemin, int largeur, int hauteur)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray octets = f.readAll();
    if (octets.size() != qsizetype(largeur) * hauteur * 4)
        return {};
    return QImage(reinterpret_cast<const uchar*>(octets.constData()), largeur, hauteur, largeur * 4,
                  QImage::Format_RGBA8888)
        .copy();
}

} // namespace

class TestSuitesImages : public QObject {
    Q_OBJECT

private:
    QDir m_donnees;

    void lignesDeFichiers(const QString& dossier, const QString& motif)
    {
        QTest::addColumn<QString>("chemin");
        const QDir d(m_donnees.filePath(dossier));
        for (const QString& nom : d.entryList({motif}, QDir::Files))
            QTest::newRow(qPrintable(dossier + '/' + nom)) << d.filePath(nom);
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        const QString racine = qEnvironmentVariable("ORMELLE_TESTDATA");
        if (racine.isEmpty() || !QDir(racine).exists())
            QSKIP("ORMELLE_TESTDATA absent");
        m_donnees = QDir(racine);
    }

    void bmpBons_data() { lignesDeFichiers("bmpsuite/g", "*.bmp"); }

    void bmpBons()
    {
        QFETCH(QString, chemin);
        const QString nom = QFileInfo(chemin).completeBaseName();
        const ResultatImage r = chargerImage(chemin, QSize(), Fond);
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QImage attendue(m_donnees.filePath("bmpsuite/html/" + jumelleBmp(nom) + ".png"));
        QVERIFY(!attendue.isNull());
        // Reduced bit depths round differently from the reference: a few levels allowed.
        const QString ecart = essai::comparer(r.image, essai::surFond(attendue, Fond), 8, 1.0, nom);
        QVERIFY2(ecart.isEmpty(), qPrintable(ecart));
        QCOMPARE(r.tailleNaturelle, attendue.size());
    }

    void bmpDouteuxEtMauvais_data()
    {
        lignesDeFichiers("bmpsuite/q", "*.bmp");
        const QDir b(m_donnees.filePath("bmpsuite/b"));
        for (const QString& nom : b.entryList({"*.bmp"}, QDir::Files))
            QTest::newRow(qPrintable("b/" + nom)) << b.filePath(nom);
        QTest::newRow("x/ba-bm.bmp") << m_donnees.filePath("bmpsuite/x/ba-bm.bmp");
    }

    void bmpDouteuxEtMauvais()
    {
        // Decoded or refused, never a crash, a hang or a huge allocation.
        QFETCH(QString, chemin);
        for (const QSize& cible : {QSize(), QSize(40, 20)}) {
            const ResultatImage r = chargerImage(chemin, cible, Fond);
            QVERIFY(r.ok() != !r.erreur.isEmpty());
            if (r.ok())
                QVERIFY(r.image.width() <= 127 && r.image.height() <= 127);
        }
        lireTailleNaturelle(chemin);
    }

    void gifPygif_data()
    {
        QTest::addColumn<QString>("test");
        QFile liste(m_donnees.filePath("gif/pygif/TESTS"));
        QVERIFY(liste.open(QIODevice::ReadOnly));
        for (const QByteArray& nom : liste.readAll().split('\n'))
            if (!nom.trimmed().isEmpty())
                QTest::newRow(nom.trimmed().constData()) << QString::fromUtf8(nom.trimmed());
    }

    void gifPygif()
    {
        QFETCH(QString, test);
        const QDir d(m_donnees.filePath("gif/pygif"));
        QSettings conf(d.filePath(test + ".conf"), QSettings::IniFormat);
        const QString gif = d.filePath(conf.value("config/input").toString());
        const QStringList images = conf.value("config/frames").toString().split(',', Qt::SkipEmptyParts);
        const ResultatImage r = chargerImage(gif, QSize(), Fond);
        if (images.isEmpty()) {
            QVERIFY(r.ok() != !r.erreur.isEmpty()); // nothing decodable: anything but a crash
            return;
        }
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        const int l = conf.value("config/width").toInt(), h = conf.value("config/height").toInt();
        const QImage attendue = lireRgba(d.filePath(conf.value(images.first() + "/pixels").toString()), l, h);
        QVERIFY(!attendue.isNull());
        const QString ecart = essai::comparer(r.image, essai::surFond(attendue, Fond), 0, 0, "pygif-" + test);
        // Qt's GIF reader paints the background colour where no image covers the canvas
        // (browsers leave it transparent) and shows each sub-image as a frame of its own.
        static const QStringList ecartsDeQt{"image-inside-bg", "image-overlap-bg", "image-outside-bg", "images-combine",
                                            "images-overlap",  "high-color",       "missing-pixels"};
        if (ecartsDeQt.contains(test))
            QEXPECT_FAIL("", "background colour and sub-images as Qt's GIF reader draws them", Continue);
        QVERIFY2(ecart.isEmpty(), qPrintable(ecart));
    }

    void gifPeterdn_data() { lignesDeFichiers("gif/peterdn", "*.gif"); }

    void gifPeterdn()
    {
        QFETCH(QString, chemin);
        const QFileInfo info(chemin);
        const QDir images(info.absolutePath() + "/frames");
        QString attendu = images.filePath(info.completeBaseName() + "-0.png");
        if (!QFile::exists(attendu))
            attendu = images.filePath(info.completeBaseName() + ".png");
        const ResultatImage r = chargerImage(chemin, QSize(), Fond);
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        const QString ecart =
            essai::comparer(r.image, essai::surFond(QImage(attendu), Fond), 0, 0, "peterdn-" + info.completeBaseName());
        QVERIFY2(ecart.isEmpty(), qPrintable(ecart));
    }

    void jpegReferences_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("ecartMax");
        QTest::addColumn<double>("ecartMoyen");
        for (const char* f :
             {"ljt_testorig", "gen_testorig_progressive", "gen_testorig_progressive_arith", "gen_testorig_restart1row"})
            QTest::newRow(f) << QString(f) << "ljt_testorig" << 2 << 0.1;
        for (const char* f : {"ljt_testimgint", "ljt_testimgari"})
            QTest::newRow(f) << QString(f) << "ljt_testimgint" << 2 << 0.1;
        for (const char* f : {"pil_hopper", "pil_hopper_gray", "pil_hopper_16bit_qtables", "pil_sample_rgb"})
            QTest::newRow(f) << QString(f) << QString(f) << 2 << 0.1;
        // CMYK goes through a naive conversion on both sides: close, not equal.
        for (const char* f : {"pil_sample_cmyk", "gen_cmyk_adobe_from_pil_sample_rgb"})
            QTest::newRow(f) << QString(f) << "pil_sample_rgb" << 255 << 12.0;
    }

    void jpegReferences()
    {
        QFETCH(QString, fichier);
        QFETCH(QString, reference);
        QFETCH(int, ecartMax);
        QFETCH(double, ecartMoyen);
        const ResultatImage r = chargerImage(m_donnees.filePath("jpeg/" + fichier + ".jpg"), QSize());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        const QImage attendue(m_donnees.filePath("jpeg/reference/" + reference + ".djpeg.png"));
        const QString ecart = essai::comparer(r.image, attendue, ecartMax, ecartMoyen, "jpeg-" + fichier);
        QVERIFY2(ecart.isEmpty(), qPrintable(ecart));
    }

    void jpegDifficiles()
    {
        // 12-bit samples: refused cleanly by an 8-bit decoder.
        const ResultatImage douze = chargerImage(m_donnees.filePath("jpeg/ljt_monkey12.jpg"), QSize());
        QVERIFY(douze.ok() != !douze.erreur.isEmpty());
        const ResultatImage tronque = chargerImage(m_donnees.filePath("jpeg/pil_truncated_jpeg.jpg"), QSize(64, 64));
        QVERIFY(tronque.ok() != !tronque.erreur.isEmpty());
        const ResultatImage dechets = chargerImage(m_donnees.filePath("jpeg/pil_junk_jpeg_header.jpg"), QSize());
        QVERIFY2(dechets.ok(), qPrintable(dechets.erreur));
        QCOMPARE(dechets.image.size(), QSize(1024, 768));
    }

    void orientationExif_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QSize>("naturelle");
        for (int i = 0; i <= 8; ++i)
            QTest::addRow("Landscape_%d", i)
                << QString("recurser_Landscape_%1").arg(i) << "recurser_Landscape_1" << QSize(1800, 1200);
        for (int i = 2; i <= 8; ++i)
            QTest::addRow("hopper_%d", i) << QString("pil_hopper_orientation_%1").arg(i)
                                          << "pil_hopper_orientation_1_reference" << QSize(128, 128);
        QTest::newRow("rectangle") << "pil_orientation_rectangle" << QString() << QSize(1, 2);
    }

    void orientationExif()
    {
        QFETCH(QString, fichier);
        QFETCH(QString, reference);
        QFETCH(QSize, naturelle);
        const QDir d(m_donnees.filePath("jpeg/exif-orientation"));
        QCOMPARE(lireTailleNaturelle(d.filePath(fichier + ".jpg")), naturelle);
        const QSize cible = naturelle / (naturelle.width() > 200 ? 10 : 1);
        const ResultatImage r = chargerImage(d.filePath(fichier + ".jpg"), cible);
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        QCOMPARE(r.tailleNaturelle, naturelle);
        QCOMPARE(r.image.size(), cible);
        if (reference.isEmpty())
            return;
        // The digit drawn in the middle differs from one file to the next: edges only matter here.
        const ResultatImage ref = chargerImage(d.filePath(reference + ".jpg"), cible);
        const QString ecart = essai::comparer(r.image, ref.image, 255, 8.0, fichier);
        QVERIFY2(ecart.isEmpty(), qPrintable(ecart));
    }
};

QTEST_MAIN(TestSuitesImages)
#include "tst_suitesimages.moc"
