// Fitting, the transition's rectangles and the slideshow order: the plain
// pieces the viewer is built on.
#include "core/ajustement.h"
#include "fullscreen/effetcarre.h"
#include "core/sequencediaporama.h"
#include "commun/connexionsrompues.h"

#include <QtTest>

Q_DECLARE_METATYPE(QRectF)

class TestGeometrie : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void pleinEcran_data();
    void pleinEcran();
    void pleinEcranTailleNulle();
    void boite_data();
    void boite();
    void arrondiPair_data();
    void arrondiPair();
    void effetCarreEcran();
    void effetCarreEtroit();
    void effetCarreGrandEcranSansDebordement();
    void sequenceOuvertSurLeDeuxieme();
    void sequenceUneImage();
    void sequenceAleatoireDansLaListe();
    void sequenceTirageAnticipe();
    void sequenceVide();
    void navigationTouches();
};

void TestGeometrie::pleinEcran_data()
{
    QTest::addColumn<QSizeF>("naturelle");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRectF>("attendu");
    const QSizeF moitie(7680, 5760), large(30720, 11520), haute(3000, 6000), egale(15360, 11520);
    QTest::newRow("moitié, proportions") << moitie << 0 << QRectF(0, 0, 15360, 11520);
    QTest::newRow("moitié, ne pas adapter") << moitie << 1 << QRectF(3840, 2880, 7680, 5760);
    QTest::newRow("moitié, tout l'écran") << moitie << 2 << QRectF(0, 0, 15360, 11520);
    QTest::newRow("large, proportions") << large << 0 << QRectF(0, 2880, 15360, 5760);
    QTest::newRow("large, ne pas adapter") << large << 1 << QRectF(0, 2880, 15360, 5760);
    QTest::newRow("large, tout l'écran") << large << 2 << QRectF(0, 0, 15360, 11520);
    QTest::newRow("haute, proportions") << haute << 0 << QRectF(4800, 0, 5760, 11520);
    QTest::newRow("haute, ne pas adapter") << haute << 1 << QRectF(6180, 2760, 3000, 6000);
    QTest::newRow("égale, proportions") << egale << 0 << QRectF(0, 0, 15360, 11520);
    QTest::newRow("égale, ne pas adapter") << egale << 1 << QRectF(0, 0, 15360, 11520);
    QTest::newRow("mode inconnu réduit seulement") << large << 7 << QRectF(0, 2880, 15360, 5760);
    QTest::newRow("mode inconnu, petite") << moitie << -1 << QRectF(3840, 2880, 7680, 5760);
}

void TestGeometrie::pleinEcran()
{
    QFETCH(QSizeF, naturelle);
    QFETCH(int, mode);
    QFETCH(QRectF, attendu);
    QCOMPARE(ajustement::ajusterPleinEcran(naturelle, QSizeF(15360, 11520), mode), attendu);
}

void TestGeometrie::pleinEcranTailleNulle()
{
    // A picture with no size must not divide by zero.
    const QRectF r = ajustement::ajusterPleinEcran(QSizeF(0, 100), QSizeF(15360, 11520), 0);
    QVERIFY(r.isEmpty());
    QVERIFY(qIsFinite(r.left()) && qIsFinite(r.top()));
}

void TestGeometrie::boite_data()
{
    QTest::addColumn<QSizeF>("naturelle");
    QTest::addColumn<QRectF>("attendu");
    QTest::newRow("deux fois plus large") << QSizeF(2 * 6735, 5055) << QRectF(3120, 630 + 1263.75, 6735, 2527.5);
    QTest::newRow("deux fois plus haute") << QSizeF(2000, 10110) << QRectF(3120 + (6735 - 1000) / 2.0, 630, 1000, 5055);
    QTest::newRow("exacte") << QSizeF(6735, 5055) << QRectF(3120, 630, 6735, 5055);
    QTest::newRow("petite, jamais agrandie") << QSizeF(735, 55) << QRectF(3120 + 3000, 630 + 2500, 735, 55);
}

void TestGeometrie::boite()
{
    QFETCH(QSizeF, naturelle);
    QFETCH(QRectF, attendu);
    QCOMPARE(ajustement::ajusterDansBoite(naturelle, QRectF(3120, 630, 6735, 5055)), attendu);
}

void TestGeometrie::arrondiPair_data()
{
    QTest::addColumn<double>("valeur");
    QTest::addColumn<qint64>("attendu");
    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("2.5") << 2.5 << qint64(2);
    QTest::newRow("153.6") << 153.6 << qint64(154);
    QTest::newRow("115.2") << 115.2 << qint64(115);
    QTest::newRow("-0.5") << -0.5 << qint64(0);
    QTest::newRow("-1.5") << -1.5 << qint64(-2);
}

void TestGeometrie::arrondiPair()
{
    QFETCH(double, valeur);
    QFETCH(qint64, attendu);
    QCOMPARE(::arrondiPair(valeur), attendu);
}

void TestGeometrie::effetCarreEcran()
{
    const auto etapes = EffetCarre(15360, 11520, 100);
    QCOMPARE(etapes.size(), size_t(51));
    QCOMPARE(etapes.front(), (RectangleEffet{154 * 50, 115 * 50, 154 * 51, 115 * 51}));
    QCOMPARE(etapes[1], (RectangleEffet{154 * 49, 115 * 49, 154 * 52, 115 * 52}));
    QCOMPARE(etapes.back(), (RectangleEffet{0, 0, 15554, 11615}));
    // Each rectangle is one division larger on every side than the one before.
    for (size_t k = 1; k < etapes.size(); ++k) {
        QCOMPARE(etapes[k - 1].x1 - etapes[k].x1, qint64(154));
        QCOMPARE(etapes[k].y2 - etapes[k - 1].y2, qint64(115));
    }
}

void TestGeometrie::effetCarreEtroit()
{
    // 49 units → 0.49 per division → dx 0; 50 → 0.5 → 0 (even); 150 → 1.5 → 2.
    for (double largeur : {49.0, 50.0}) {
        const auto etapes = EffetCarre(largeur, 11520, 100);
        QCOMPARE(etapes.size(), size_t(51));
        for (const RectangleEffet& r : etapes)
            QCOMPARE(r.x2 - r.x1, qint64(0));
    }
    QCOMPARE(EffetCarre(150, 100, 100).back().x2, qint64(202));
}

void TestGeometrie::effetCarreGrandEcranSansDebordement()
{
    // Far beyond what a 16-bit corner holds (a division above 324 units).
    const auto etapes = EffetCarre(8 * 15360, 8 * 11520, 100);
    QCOMPARE(etapes.back().x2, qint64(1229) * 101);
    QVERIFY(etapes.back().y2 > 32767);
}

void TestGeometrie::sequenceOuvertSurLeDeuxieme()
{
    // IndexImage is 0 at opening, whatever picture is shown first.
    SequenceDiaporama s;
    s.setNombre(3);
    QList<int> vues;
    for (int k = 0; k < 6; ++k)
        vues << *s.etape();
    QCOMPARE(vues, (QList<int>{1, 2, 0, 1, 2, 0}));
}

void TestGeometrie::sequenceUneImage()
{
    double r = 0.999999;
    SequenceDiaporama s([&r] { return r; });
    s.setNombre(1);
    for (bool aleatoire : {false, true}) {
        s.setAleatoire(aleatoire);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(s.etape(), std::optional<int>(0));
    }
}

void TestGeometrie::sequenceAleatoireDansLaListe()
{
    const QList<double> tirages{0.0, 0.999999999, 0.5, 0.5, 1.0, -0.2, qQNaN()};
    int k = 0;
    SequenceDiaporama s([&] { return tirages[k++ % tirages.size()]; });
    s.setNombre(7);
    s.setAleatoire(true);
    QList<int> vues;
    for (int n = 0; n < tirages.size(); ++n) {
        const int position = *s.etape();
        QVERIFY2(position >= 0 && position < 7, qPrintable(QString::number(position)));
        vues << position;
    }
    // The same picture may come twice in a row.
    QCOMPARE(vues.mid(0, 4), (QList<int>{0, 6, 3, 3}));
}

void TestGeometrie::sequenceTirageAnticipe()
{
    int appels = 0;
    SequenceDiaporama s([&] { return (++appels % 4) / 4.0; });
    s.setNombre(4);
    s.setAleatoire(true);
    const std::optional<int> prevu = s.prochaineEtape();
    QCOMPARE(s.prochaineEtape(), prevu); // asking again draws nothing new
    QCOMPARE(appels, 1);
    QCOMPARE(s.etape(), prevu); // the step takes the draw made ahead
    QCOMPARE(appels, 1);
    QCOMPARE(s.etape(), std::optional<int>(2));
    QVERIFY(!s.etapeSuivante());

    s.setAleatoire(false);
    s.setIndex(2);
    QCOMPARE(s.prochaineEtape(), std::optional<int>(3));
    QCOMPARE(s.etapeSuivante(), std::optional<int>(0));
}

void TestGeometrie::sequenceVide()
{
    SequenceDiaporama s([] { return 0.3; });
    for (bool aleatoire : {false, true}) {
        s.setAleatoire(aleatoire);
        QVERIFY(!s.etape());
        QVERIFY(!s.prochaineEtape());
    }
    QCOMPARE(navigation::suivant(-1, 0), -1);
    QCOMPARE(navigation::pageSuivante(0, 0, 5), -1);
}

void TestGeometrie::navigationTouches()
{
    QCOMPARE(navigation::suivant(2, 3), 0);
    QCOMPARE(navigation::suivant(0, 3), 1);
    QCOMPARE(navigation::precedent(0, 3), 2);
    QCOMPARE(navigation::precedent(2, 3), 1);
    QCOMPARE(navigation::precedent(-1, 3), 2);
    QCOMPARE(navigation::premier(3), 0);
    QCOMPARE(navigation::dernier(3), 2);
    QCOMPARE(navigation::pageSuivante(1, 10, 4), 5);
    QCOMPARE(navigation::pageSuivante(8, 10, 4), 9);
    QCOMPARE(navigation::pagePrecedente(2, 10, 4), 0);
    QCOMPARE(navigation::pagePrecedente(9, 10, 4), 5);
}

QTEST_APPLESS_MAIN(TestGeometrie)
#include "tst_geometrie.moc"
