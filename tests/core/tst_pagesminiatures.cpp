// Paging nine thumbnails at a time, and the cache that keeps them within a byte budget.
#include "core/ajustement.h"
#include "core/cacheminiatures.h"
#include "core/pagesminiatures.h"
#include "commun/connexionsrompues.h"

#include <QtTest>

namespace {
QStringList liste(qint64 n)
{
    QStringList l;
    for (qint64 i = 1; i <= n; ++i)
        l << QStringLiteral("/d/%1.jpg").arg(i);
    return l;
}

// The list index of each cell, 0 for an empty one.
QList<qint64> indices(const PagesMiniatures& p)
{
    QList<qint64> r;
    for (int c = 0; c < PagesMiniatures::NbCellules; ++c)
        r << p.indexCellule(c);
    return r;
}

ImagePrete image(const QString& chemin, int cote)
{
    ImagePrete i;
    i.chemin = chemin;
    i.image = QImage(cote, cote, QImage::Format_RGB32);
    return i;
}
} // namespace

class TestPagesMiniatures : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void dixImages()
    {
        PagesMiniatures p;
        p.setListe(liste(10));
        QCOMPARE(indices(p), (QList<qint64>{0, 0, 0, 0, 1, 2, 3, 4, 5}));
        p.pageSuivante();
        QCOMPARE(p.ImageCentree(), qint64(10));
        QCOMPARE(indices(p), (QList<qint64>{6, 7, 8, 9, 10, 0, 0, 0, 0}));
        p.pagePrecedente();
        QCOMPARE(p.ImageCentree(), qint64(1));
        QCOMPARE(p.centree(), QStringLiteral("/d/1.jpg"));
    }

    void clicsSurLesCellules_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<int>("cellule");
        QTest::addColumn<qint64>("attendue");
        QTest::newRow("cellule 8 au début") << qint64(1) << 8 << qint64(5);
        QTest::newRow("cellule 0 au début") << qint64(1) << 0 << qint64(1);
        QTest::newRow("cellule 3 au milieu") << qint64(12) << 3 << qint64(11);
        QTest::newRow("cellule 8 vers la fin") << qint64(18) << 8 << qint64(20);
    }
    void clicsSurLesCellules()
    {
        QFETCH(qint64, position);
        QFETCH(int, cellule);
        QFETCH(qint64, attendue);
        PagesMiniatures p;
        p.setListe(liste(20));
        p.fin();
        while (p.ImageCentree() > position)
            p.clicCellule(3);
        QCOMPARE(p.ImageCentree(), position);
        p.clicCellule(cellule);
        QCOMPARE(p.ImageCentree(), attendue);
    }

    void debutEtFin()
    {
        PagesMiniatures p;
        p.setListe(liste(30));
        p.fin();
        QCOMPARE(p.ImageCentree(), qint64(30));
        p.debut();
        QCOMPARE(p.ImageCentree(), qint64(1));
        QCOMPARE(p.positionVoisine(-1), qint64(1));
        QCOMPARE(p.positionVoisine(1), qint64(10));
    }

    void molette_data()
    {
        QTest::addColumn<qint64>("depart");
        QTest::addColumn<QList<int>>("huitiemes");
        QTest::addColumn<QList<qint64>>("positions"); // after each turn
        QTest::newRow("un cran vers soi") << qint64(1) << QList<int>{-120} << QList<qint64>{10};
        QTest::newRow("deux crans d'un coup") << qint64(1) << QList<int>{-240} << QList<qint64>{19};
        QTest::newRow("un cran en arrière") << qint64(30) << QList<int>{120} << QList<qint64>{21};
        QTest::newRow("butée au début") << qint64(1) << QList<int>{120, -120} << QList<qint64>{1, 10};
        QTest::newRow("butée à la fin") << qint64(1) << QList<int>{-600} << QList<qint64>{30};
        QTest::newRow("fractions de pavé tactile")
            << qint64(1) << QList<int>{-50, -50, -50, -50, -50} << QList<qint64>{1, 1, 10, 10, 19};
    }
    void molette()
    {
        QFETCH(qint64, depart);
        QFETCH(QList<int>, huitiemes);
        QFETCH(QList<qint64>, positions);
        PagesMiniatures p;
        p.setListe(liste(30));
        p.setPosition(depart);
        QList<qint64> vues;
        for (int h : huitiemes) {
            p.molette(h);
            vues << p.ImageCentree();
        }
        QCOMPARE(vues, positions);
    }

    // More pictures than a 16-bit count holds.
    void grandDossier()
    {
        PagesMiniatures p;
        p.setListe(liste(40000));
        p.fin();
        QCOMPARE(p.ImageCentree(), qint64(40000));
        QCOMPARE(p.centree(), QStringLiteral("/d/40000.jpg"));
        p.pagePrecedente();
        QCOMPARE(p.ImageCentree(), qint64(39991));
    }

    void listeVideGardeLaPosition()
    {
        PagesMiniatures p;
        p.setListe(liste(20));
        p.pageSuivante();
        p.setListe({});
        QCOMPARE(p.ImageCentree(), qint64(10));
        QCOMPARE(indices(p), QList<qint64>(9, 0));
        QVERIFY(p.centree().isEmpty());
    }

    void listeRelueGardeLaPositionDansSesBornes()
    {
        PagesMiniatures p;
        p.setListe(liste(20));
        p.fin();
        p.actualiserListe(liste(15));
        QCOMPARE(p.ImageCentree(), qint64(15));
        p.actualiserListe(liste(18));
        QCOMPARE(p.ImageCentree(), qint64(15));
    }

    void celluleGardeSonCoinEtSesProportions_data()
    {
        QTest::addColumn<QSizeF>("naturelle");
        QTest::addColumn<QRectF>("attendu");
        QTest::newRow("large") << QSizeF(3840, 960) << QRectF(100, 200, 1920, 480);
        QTest::newRow("haute") << QSizeF(1440, 2880) << QRectF(100, 200, 720, 1440);
        QTest::newRow("petite") << QSizeF(600, 300) << QRectF(100, 200, 600, 300);
    }
    void celluleGardeSonCoinEtSesProportions()
    {
        QFETCH(QSizeF, naturelle);
        QFETCH(QRectF, attendu);
        QCOMPARE(ajustement::ajusterMiniature(naturelle, QRectF(100, 200, 1920, 1440)), attendu);
    }

    void cacheBorneEnOctets()
    {
        const qint64 une = image(QString(), 100).octets();
        CacheMiniatures cache(3 * une);
        for (int i = 1; i <= 4; ++i)
            cache.garder(QStringLiteral("k%1").arg(i), image(QStringLiteral("/d/%1").arg(i), 100));
        QCOMPARE(cache.octets(), 3 * une);
        QVERIFY(!cache.contient(QStringLiteral("k1")));
        ImagePrete i;
        QVERIFY(cache.trouver(QStringLiteral("k2"), &i)); // now the most recently used
        cache.garder(QStringLiteral("k5"), image(QStringLiteral("/d/5"), 100));
        QVERIFY(cache.contient(QStringLiteral("k2")));
        QVERIFY(!cache.contient(QStringLiteral("k3")));
        cache.garder(QStringLiteral("trop"), image(QStringLiteral("/d/6"), 400));
        QVERIFY(!cache.contient(QStringLiteral("trop")));
        QCOMPARE(cache.octets(), 3 * une);
        cache.oublier(QStringLiteral("/d/5"));
        QVERIFY(!cache.contient(QStringLiteral("k5")));
        QCOMPARE(cache.octets(), 2 * une);
    }
};

QTEST_GUILESS_MAIN(TestPagesMiniatures)
#include "tst_pagesminiatures.moc"
