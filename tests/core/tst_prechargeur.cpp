// The full-screen prefetch over the picture service, with a scripted decoder:
// two decodes at most at once, nothing made for earlier display settings ever
// handed out, a picture asked for while it decodes joined rather than decoded
// twice, and the cache kept within a budget that follows the screen.
#include "decodeurscripte.h"
#include "core/prechargeur.h"
#include "commun/connexionsrompues.h"

#include <QtTest>

namespace {
ParametresAffichage ecran(int largeur, int hauteur, int mode = 0)
{
    ParametresAffichage p;
    p.ecran = QSize(largeur, hauteur);
    p.mode = mode;
    return p;
}
} // namespace

class TestPrechargeur : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void deuxTravailleursEtCache();
    void rienDePrepareAvantUnChangementNestMontre();
    void imageEnRouteRejointeSansSecondDecodage();
    void budgetEnOctets();
    void budgetSuitLEcran();
    void nombreEnAvanceSuitLaTailleDesImages();
    void imageAttendueCompteeDansLeBudget();
};

void TestPrechargeur::deuxTravailleursEtCache()
{
    DecodeurScripte d;
    ServiceImages service(par(d));
    Prechargeur p(service);
    QSignalSpy prets(&p, &Prechargeur::pret);
    p.precharger({"a", "b", "c", "d"});
    QTRY_COMPARE(prets.count(), 4);
    QVERIFY(d.maxEnCours <= 2);
    ImagePrete c;
    QVERIFY(p.obtenir("c", &c));
    QVERIFY(c.ok());
    QCOMPARE(c.chemin, QString("c"));
    QCOMPARE(d.appels.load(), 4); // taken from the cache, not decoded again
}

void TestPrechargeur::rienDePrepareAvantUnChangementNestMontre()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages service(par(d));
    service.setBudgetResultats(0);
    Prechargeur p(service);
    p.setParametres(ecran(100, 100, 0));
    p.precharger({"a"});
    QTRY_COMPARE(d.enCours.load(), 1);

    p.setParametres(ecran(100, 100, 2)); // the fitting changed while "a" decodes
    d.porte.release();
    QTRY_COMPARE(d.finis.load(), 1);
    QCoreApplication::processEvents();
    QVERIFY(!p.estPret("a"));

    // Asked now, it is decoded again for the new fitting, never taken from before.
    d.bloquer = false;
    QSignalSpy prets(&p, &Prechargeur::pret);
    ImagePrete a;
    QVERIFY(!p.obtenir("a", &a));
    QTRY_COMPARE(prets.count(), 1);
    QVERIFY(p.obtenir("a", &a));
    QCOMPARE(a.generation, p.generation());
    QCOMPARE(a.image.pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(d.modes.last(), 2);

    // The same for a screen change after "a" was ready.
    p.setParametres(ecran(200, 100, 2));
    QVERIFY(!p.estPret("a"));
    QVERIFY(!p.obtenir("a", &a));
}

void TestPrechargeur::imageEnRouteRejointeSansSecondDecodage()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages service(par(d));
    Prechargeur p(service);
    QSignalSpy prets(&p, &Prechargeur::pret);
    p.precharger({"a"});
    QTRY_COMPARE(d.enCours.load(), 1);
    ImagePrete a;
    QVERIFY(!p.obtenir("a", &a)); // the view waits for it
    d.porte.release();
    QTRY_COMPARE(prets.count(), 1);
    QVERIFY(p.obtenir("a", &a));
    QVERIFY(a.ok());
    QCOMPARE(d.appels.load(), 1);
}

void TestPrechargeur::budgetEnOctets()
{
    DecodeurScripte d;
    ServiceImages service(par(d));
    Prechargeur p(service, 2500);
    p.setParametres(ecran(10, 10));
    QCOMPARE(p.budget(), 2500);
    p.precharger({"a", "b"});
    QTRY_VERIFY(p.estPret("a") && p.estPret("b"));
    ImagePrete x;
    p.obtenir("x", &x); // shown now, not wanted ahead
    QTRY_VERIFY(p.estPret("x"));
    p.precharger({"b", "c"});
    QTRY_VERIFY(p.estPret("c"));
    QVERIFY(p.octetsEnCache() <= 2500);
    QVERIFY(p.estPret("b"));
    QVERIFY(!p.estPret("a"));
    QVERIFY(!p.estPret("x")); // no longer wanted: it left before the wanted "b"

    // A picture larger than the whole budget is still kept while shown.
    Prechargeur petit(service, 10);
    petit.setParametres(ecran(1, 1));
    QVERIFY(!petit.obtenir("z", &x));
    QTRY_VERIFY(petit.obtenir("z", &x));
    QCOMPARE(petit.nombreEnCache(), 1);
}

void TestPrechargeur::budgetSuitLEcran()
{
    DecodeurScripte d;
    ServiceImages service(par(d));
    Prechargeur p(service);
    p.setParametres(ecran(1920, 1080));
    QCOMPARE(p.budget(), qint64(64) * 1024 * 1024);
    // A 5K screen and an 8K one: at least one full screen ahead, within the prefetch's own bound.
    for (const QSize s : {QSize(5120, 2880), QSize(7680, 4320)}) {
        p.setParametres(ecran(s.width(), s.height()));
        QVERIFY(p.budget() >= qint64(s.width()) * s.height() * 4);
        QCOMPARE(p.budget(), Prechargeur::Plafond);
    }
    ParametresAffichage hidpi = ecran(2560, 1440);
    hidpi.ratioPixels = 2;
    p.setParametres(hidpi);
    QCOMPARE(p.budget(), Prechargeur::Plafond);
}

void TestPrechargeur::nombreEnAvanceSuitLaTailleDesImages()
{
    DecodeurScripte d; // 1000 bytes a picture
    ServiceImages service(par(d));
    Prechargeur p(service, 2500);
    p.setParametres(ecran(10, 10)); // 400 bytes a screen: six would fit
    ImagePrete x;
    p.obtenir("x", &x);
    QTRY_VERIFY(p.obtenir("x", &x));
    // Pictures larger than the screen: two fit, the next ones are not even asked for.
    p.precharger({"a", "b", "c", "d"});
    QTRY_VERIFY(p.estPret("a") && p.estPret("b"));
    QVERIFY(!p.occupe());
    QStringList commences = d.commences(); // a and b on two workers, in either order
    commences.sort();
    QCOMPARE(commences, QStringList({"a", "b", "x"}));
    QVERIFY(p.octetsEnCache() <= p.budget());
}

void TestPrechargeur::imageAttendueCompteeDansLeBudget()
{
    DecodeurScripte d; // 1000 bytes a picture
    ServiceImages service(par(d));
    Prechargeur p(service, 2500);
    p.setParametres(ecran(10, 10));
    ImagePrete x;
    p.obtenir("x", &x);
    QTRY_VERIFY(p.estPret("x"));
    d.bloquer = true;
    p.obtenir("y", &x);
    p.precharger({"a", "b"});
    QTRY_COMPARE(d.enCours.load(), 2);
    QCOMPARE(service.enAttente(), 0); // "b" would pass the budget while "y" is made
    d.bloquer = false;
    d.porte.release(2);
    QTRY_VERIFY(p.estPret("b")); // asked once "y" was made
    QVERIFY(p.octetsEnCache() <= p.budget());
}

QTEST_GUILESS_MAIN(TestPrechargeur)
#include "tst_prechargeur.moc"
