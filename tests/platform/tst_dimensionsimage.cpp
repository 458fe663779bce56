#include "platform/dimensionsimage.h"
#include "commun/connexionsrompues.h"

#include <QtTest>

using namespace dimensions;

class TestDimensionsImage : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void couvrante_data()
    {
        QTest::addColumn<QSize>("naturelle");
        QTest::addColumn<QSize>("cible");
        QTest::addColumn<QSize>("attendue");
        QTest::newRow("ajustée") << QSize(6000, 4000) << QSize(449, 299) << QSize(449, 299);
        QTest::newRow("boîte plus haute") << QSize(6000, 4000) << QSize(449, 337) << QSize(506, 337);
        QTest::newRow("étirée plein écran") << QSize(1600, 1200) << QSize(1920, 1080) << QSize(1600, 1200);
        QTest::newRow("étirée en largeur") << QSize(1600, 1200) << QSize(200, 50) << QSize(200, 150);
        QTest::newRow("jamais agrandie") << QSize(127, 64) << QSize(1000, 1000) << QSize(127, 64);
        QTest::newRow("cible invalide") << QSize(127, 64) << QSize() << QSize(127, 64);
        QTest::newRow("cible vide") << QSize(127, 64) << QSize(0, 0) << QSize(127, 64);
        QTest::newRow("trait d'un pixel") << QSize(65535, 1) << QSize(100, 100) << QSize(65535, 1);
        QTest::newRow("image vide") << QSize(0, 10) << QSize(100, 100) << QSize();
    }

    void couvrante()
    {
        QFETCH(QSize, naturelle);
        QFETCH(QSize, cible);
        QFETCH(QSize, attendue);
        QCOMPARE(tailleCouvrante(naturelle, cible), attendue);
    }

    void couvranteBorneeEnMemoire()
    {
        const QSize t = tailleCouvrante(QSize(20000, 20000), QSize());
        QVERIFY(qint64(t.width()) * t.height() <= PixelsMax);
        QVERIFY(t.width() > 6000);
        QCOMPARE(t.width(), t.height());
    }

    // However thin the picture, the fitted size stays within the limit.
    void couvranteRapportsExtremes_data()
    {
        QTest::addColumn<QSize>("naturelle");
        QTest::addColumn<QSize>("cible");
        QTest::newRow("large, naturelle") << QSize(2'000'000'000, 1) << QSize();
        QTest::newRow("haute, naturelle") << QSize(1, 2'000'000'000) << QSize();
        QTest::newRow("large, écran") << QSize(INT_MAX, 2) << QSize(1920, 1080);
        QTest::newRow("haute, écran") << QSize(3, 400'000'000) << QSize(1920, 1080);
    }

    void couvranteRapportsExtremes()
    {
        QFETCH(QSize, naturelle);
        QFETCH(QSize, cible);
        const QSize t = tailleCouvrante(naturelle, cible);
        QVERIFY(!t.isEmpty());
        QVERIFY2(qint64(t.width()) * t.height() <= PixelsMax,
                 qPrintable(QStringLiteral("%1x%2").arg(t.width()).arg(t.height())));
    }

    void decodageJpeg_data()
    {
        QTest::addColumn<QSize>("stockee");
        QTest::addColumn<QSize>("couverture");
        QTest::addColumn<QSize>("attendue");
        QTest::newRow("1/8") << QSize(6000, 4000) << QSize(449, 299) << QSize(750, 500);
        QTest::newRow("1/8 tout juste") << QSize(6000, 4000) << QSize(750, 500) << QSize(750, 500);
        QTest::newRow("1/4") << QSize(6000, 4000) << QSize(751, 500) << QSize(1500, 1000);
        QTest::newRow("1/2") << QSize(6000, 4000) << QSize(1920, 1280) << QSize(3000, 2000);
        QTest::newRow("entière") << QSize(6000, 4000) << QSize(3001, 2001) << QSize();
        QTest::newRow("100 Mpx plein écran") << QSize(12500, 8000) << QSize(1688, 1080) << QSize(3125, 2000);
        // Not a multiple of 8: asking for the size rounded down keeps Qt on the same scale.
        QTest::newRow("taille impaire") << QSize(227, 149) << QSize(28, 18) << QSize(28, 18);
        QTest::newRow("taille impaire 1/4") << QSize(227, 149) << QSize(29, 19) << QSize(56, 37);
        QTest::newRow("trop grande entière") << QSize(20000, 20000) << QSize(6928, 6928) << QSize(5000, 5000);
    }

    void decodageJpeg()
    {
        QFETCH(QSize, stockee);
        QFETCH(QSize, couverture);
        QFETCH(QSize, attendue);
        QCOMPARE(tailleDecodageJpeg(stockee, couverture), attendue);
    }

    void renduVectoriel_data()
    {
        QTest::addColumn<QSizeF>("naturelle");
        QTest::addColumn<QSize>("cible");
        QTest::addColumn<QSize>("attendue");
        QTest::newRow("agrandi pour couvrir") << QSizeF(100, 50) << QSize(400, 300) << QSize(600, 300);
        QTest::newRow("réduit") << QSizeF(1000, 500) << QSize(100, 100) << QSize(200, 100);
        QTest::newRow("taille naturelle") << QSizeF(100.4, 50.2) << QSize() << QSize(100, 50);
        QTest::newRow("côté borné") << QSizeF(100, 1) << QSize(1000, 1000) << QSize(4000, 40);
    }

    void renduVectoriel()
    {
        QFETCH(QSizeF, naturelle);
        QFETCH(QSize, cible);
        QFETCH(QSize, attendue);
        QCOMPARE(tailleRenduVectoriel(naturelle, cible, 4000), attendue);
    }
};

QTEST_GUILESS_MAIN(TestDimensionsImage)
#include "tst_dimensionsimage.moc"
