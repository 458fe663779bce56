// Metafiles written by the tests, played and checked pixel by pixel.
#include "outilstest.h"
#include "commun/connexionsrompues.h"

#include <QtTest>

using namespace wmftest;

class TestRendu : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void tailleNaturelle_data();
    void tailleNaturelle();
    void rectangleEtEllipse();
    void polygoneSelonModeRemplissage_data();
    void polygoneSelonModeRemplissage();
    void texteAUnePlaceConnue();
    void bitmapStretchDib();
    void etendueDeFenetre_data();
    void etendueDeFenetre();
    void sauverRestaurerContexte();
    void objetsSupprimesPuisReutilises();
    void clipEtRop();
    void rendAToutesLesTailles();
};

void TestRendu::tailleNaturelle_data()
{
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QSizeF>("attendue");
    EcrivainWmf a;
    a.placeable(QRect(0, 0, 2000, 1000), 1000);
    QTest::newRow("placeable, 1000 units per inch") << a.fin().octets() << QSizeF(192, 96);
    EcrivainWmf b;
    b.placeable(QRect(100, 1000, 1440, -720), 1440);
    QTest::newRow("placeable, flipped box") << b.fin().octets() << QSizeF(96, 48);
    EcrivainWmf c;
    c.fenetre(QPoint(0, 0), QPoint(400, 300)).fin();
    QTest::newRow("standard, window extent") << c.octets() << QSizeF(400, 300);
    EcrivainWmf d;
    d.fenetre(QPoint(0, 0), QPoint(4800, -1800)).fin();
    QTest::newRow("standard, twips-sized extent") << d.octets() << QSizeF(320, 120);
}

void TestRendu::tailleNaturelle()
{
    QFETCH(QByteArray, octets);
    QFETCH(QSizeF, attendue);
    QVERIFY(wmf::estWmf(octets.left(32)));
    const wmf::InfoWmf info = wmf::lireInfo(octets);
    QVERIFY(info.ok);
    QCOMPARE(info.tailleNaturellePx, attendue);
    QCOMPARE(wmf::rendre(octets, QSize(50, 50)).tailleNaturelle, attendue.toSize());
}

void TestRendu::rectangleEtEllipse()
{
    EcrivainWmf e = feuille();
    e.plume(5, 0, Qt::black).selectionner(0); // PS_NULL
    e.brosse(0, Qt::blue).selectionner(1).rectangle(QRect(100, 100, 300, 200));
    e.brosse(0, Qt::red).selectionner(2).ellipse(QRect(500, 500, 400, 400)).fin();
    const QImage img = rendu(e);
    QCOMPARE(img.size(), QSize(100, 100));
    QCOMPARE(img.pixel(25, 20), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(45, 20), qRgb(255, 255, 255));
    QCOMPARE(img.pixel(70, 70), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(52, 52), qRgb(255, 255, 255)); // inside the box, outside the ellipse
}

void TestRendu::polygoneSelonModeRemplissage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRgb>("centre");
    QTest::newRow("alternate leaves the core of a star empty") << 1 << qRgb(255, 255, 255);
    QTest::newRow("winding fills it") << 2 << qRgb(0, 128, 0);
}

void TestRendu::polygoneSelonModeRemplissage()
{
    QFETCH(int, mode);
    QFETCH(QRgb, centre);
    EcrivainWmf e = feuille();
    e.plume(5, 0, Qt::black).selectionner(0).brosse(0, QColor(0, 128, 0)).selectionner(1);
    e.modeRemplissage(mode);
    // A five-pointed star drawn in one stroke: its core is wound twice.
    QVector<QPoint> etoile;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        etoile << QPoint(500 + int(450 * std::cos(a)), 500 + int(450 * std::sin(a)));
    }
    e.polygone(etoile).fin();
    const QImage img = rendu(e);
    QCOMPARE(img.pixel(50, 52), centre);
    QCOMPARE(img.pixel(50, 12), qRgb(0, 128, 0)); // a point is filled either way
}

void TestRendu::texteAUnePlaceConnue()
{
    EcrivainWmf e = feuille();
    e.police(-200, "Arial", 700).selectionner(0).alignTexte(0).modeFond(1);
    e.couleurTexte(Qt::black).texte(QPoint(300, 600), "HH").fin();
    const QImage img = rendu(e, 200);
    const QRect r = encre(img);
    // An em of 40 px; capitals fill most of it, from the top of the cell.
    QVERIFY2(r.left() >= 58 && r.left() <= 66, qPrintable(QString::number(r.left())));
    QVERIFY2(r.top() >= 120 && r.top() <= 132, qPrintable(QString::number(r.top())));
    QVERIFY2(r.height() >= 24 && r.height() <= 34, qPrintable(QString::number(r.height())));
    QVERIFY2(r.width() >= 40 && r.width() <= 70, qPrintable(QString::number(r.width())));
}

void TestRendu::bitmapStretchDib()
{
    QImage damier(2, 2, QImage::Format_RGB32);
    damier.setPixel(0, 0, qRgb(255, 0, 0));
    damier.setPixel(1, 0, qRgb(0, 255, 0));
    damier.setPixel(0, 1, qRgb(0, 0, 255));
    damier.setPixel(1, 1, qRgb(255, 255, 0));
    EcrivainWmf e = feuille();
    e.stretchDib(QRect(0, 0, 1000, 1000), damier).fin();
    const QImage img = rendu(e);
    QCOMPARE(img.pixel(10, 10), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(90, 10), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(10, 90), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(90, 90), qRgb(255, 255, 0));
}

void TestRendu::etendueDeFenetre_data()
{
    QTest::addColumn<QPoint>("org");
    QTest::addColumn<QPoint>("ext");
    QTest::addColumn<QPoint>("dedans");
    QTest::addColumn<QPoint>("dehors");
    QTest::newRow("a window of 200 units fills the picture")
        << QPoint(0, 0) << QPoint(200, 200) << QPoint(25, 25) << QPoint(75, 75);
    QTest::newRow("an upward extent flips the picture")
        << QPoint(0, 200) << QPoint(200, -200) << QPoint(25, 75) << QPoint(25, 25);
    QTest::newRow("a leftward extent mirrors it")
        << QPoint(200, 0) << QPoint(-200, 200) << QPoint(75, 25) << QPoint(25, 25);
}

void TestRendu::etendueDeFenetre()
{
    QFETCH(QPoint, org);
    QFETCH(QPoint, ext);
    QFETCH(QPoint, dedans);
    QFETCH(QPoint, dehors);
    EcrivainWmf e = feuille();
    e.fenetre(org, ext).plume(5, 0, Qt::black).selectionner(0).brosse(0, Qt::black).selectionner(1);
    e.rectangle(QRect(0, 0, 100, 100)).fin();
    const QImage img = rendu(e);
    QCOMPARE(img.pixel(dedans), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(dehors), qRgb(255, 255, 255));
}

void TestRendu::sauverRestaurerContexte()
{
    EcrivainWmf e = feuille();
    e.plume(5, 0, Qt::black).selectionner(0).brosse(0, Qt::red).selectionner(1).sauverDc();
    e.brosse(0, Qt::blue).selectionner(2).fenetre(QPoint(0, 0), QPoint(100, 100));
    e.restaurerDc(-1).rectangle(QRect(0, 0, 500, 500)).fin();
    const QImage img = rendu(e);
    // Both the brush and the window come back: red, over the top-left quarter only.
    QCOMPARE(img.pixel(25, 25), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(75, 75), qRgb(255, 255, 255));
}

void TestRendu::objetsSupprimesPuisReutilises()
{
    EcrivainWmf e = feuille();
    e.nbObjets(3);
    e.plume(5, 0, Qt::black).selectionner(0); // slot 0
    e.brosse(0, Qt::red);                     // slot 1
    e.supprimer(1);
    e.brosse(0, Qt::green);  // the freed slot 1 again
    e.brosse(0, Qt::blue);   // slot 2
    e.brosse(0, Qt::yellow); // table full: dropped
    e.selectionner(1).rectangle(QRect(0, 0, 500, 1000));
    e.selectionner(2).rectangle(QRect(500, 0, 500, 1000)).fin();
    const QImage img = rendu(e);
    QCOMPARE(img.pixel(25, 50), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(75, 50), qRgb(0, 0, 255));
}

void TestRendu::clipEtRop()
{
    EcrivainWmf e = feuille();
    e.plume(5, 0, Qt::black).selectionner(0).brosse(0, Qt::black).selectionner(1);
    e.enregistrement(0x0416, {500, 500, 0, 0}); // IntersectClipRect to the top-left quarter
    e.rectangle(QRect(0, 0, 1000, 1000));
    e.enregistrement(0x012C, {0}); // SelectClipRegion(null): no clip
    e.enregistrement(0x0104, {6}); // R2_NOT
    e.rectangle(QRect(0, 0, 1000, 500)).fin();
    const QImage img = rendu(e);
    QCOMPARE(img.pixel(25, 25), qRgb(255, 255, 255)); // black, then inverted
    QCOMPARE(img.pixel(75, 25), qRgb(0, 0, 0));       // white, then inverted
    QCOMPARE(img.pixel(25, 75), qRgb(255, 255, 255)); // clipped out
}

void TestRendu::rendAToutesLesTailles()
{
    EcrivainWmf e = feuille();
    e.brosse(0, Qt::black).selectionner(0).rectangle(QRect(0, 0, 1000, 1000)).fin();
    for (const QSize t : {QSize(1, 1), QSize(7, 300), QSize(wmf::TailleMaxRendu, 2)}) {
        const wmf::ResultatWmf r = wmf::rendre(e.octets(), t);
        QVERIFY(r.ok());
        QCOMPARE(r.image.size(), t);
    }
    for (const QSize t : {QSize(0, 10), QSize(-5, 5), QSize(wmf::TailleMaxRendu + 1, 10)}) {
        const wmf::ResultatWmf r = wmf::rendre(e.octets(), t);
        QVERIFY(!r.ok());
        QVERIFY(!r.erreur.isEmpty());
    }
}

QTEST_MAIN(TestRendu)
#include "tst_rendu.moc"
