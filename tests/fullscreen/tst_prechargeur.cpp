// The prefetch cache with a scripted decoder: two workers at most, results
// of an older generation dropped, an in-flight picture waited for rather than
// decoded twice, and the cache kept within its byte budget.
#include "fullscreen/prechargeur.h"

#include <QtTest>
#include <QMutex>
#include <QSemaphore>
#include <atomic>

namespace {

struct Decodeur {
    std::atomic<int> appels{0};
    std::atomic<int> enCours{0};
    std::atomic<int> maxEnCours{0};
    std::atomic<int> finis{0};
    QSemaphore porte{0};
    bool bloquer = false;
    QMutex verrou;
    QList<int> modes;

    ImagePrete operator()(const QString& chemin, const ParametresAffichage& p)
    {
        ++appels;
        const int n = ++enCours;
        int m = maxEnCours;
        while (n > m && !maxEnCours.compare_exchange_weak(m, n)) {}
        if (bloquer)
            porte.acquire();
        {
            QMutexLocker l(&verrou);
            modes << p.mode;
        }
        ImagePrete r;
        r.chemin = chemin;
        r.image = QImage(25, 10, QImage::Format_ARGB32); // 1000 bytes
        r.image.fill(Qt::red);
        --enCours;
        ++finis;
        return r;
    }
};

Prechargeur::Preparateur par(Decodeur& d)
{
    return [&d](const QString& c, const ParametresAffichage& p) { return d(c, p); };
}

} // namespace

class TestPrechargeur : public QObject {
    Q_OBJECT
private slots:
    void deuxTravailleursEtCache();
    void resultatTardifAbandonne();
    void enVolAttenduSansSecondDecodage();
    void budgetEnOctets();
};

void TestPrechargeur::deuxTravailleursEtCache()
{
    Decodeur d;
    Prechargeur p(par(d));
    QSignalSpy prets(&p, &Prechargeur::pret);
    p.precharger({"a", "b", "c", "d"});
    QTRY_COMPARE(prets.count(), 4);
    QVERIFY(d.maxEnCours <= 2);
    QVERIFY(p.estPret("c"));
    const ImagePrete c = p.obtenir("c");
    QVERIFY(c.ok());
    QCOMPARE(c.chemin, QString("c"));
    QCOMPARE(d.appels.load(), 4); // taken from the cache, not decoded again
}

void TestPrechargeur::resultatTardifAbandonne()
{
    Decodeur d;
    d.bloquer = true;
    Prechargeur p(par(d));
    ParametresAffichage avant;
    avant.ecran = QSize(100, 100);
    p.setParametres(avant);
    p.precharger({"a"});
    QTRY_COMPARE(d.enCours.load(), 1);

    ParametresAffichage apres = avant;
    apres.mode = 2;
    p.setParametres(apres); // the screen's fitting changed: "a" in flight is stale
    d.porte.release();
    QTRY_COMPARE(d.finis.load(), 1);
    QCoreApplication::processEvents();
    QVERIFY(!p.estPret("a"));
    QCOMPARE(p.nombreEnCache(), 0);

    d.bloquer = false;
    const ImagePrete a = p.obtenir("a");
    QCOMPARE(a.generation, p.generation());
    QCOMPARE(d.modes.last(), 2);
}

void TestPrechargeur::enVolAttenduSansSecondDecodage()
{
    Decodeur d;
    d.bloquer = true;
    Prechargeur p(par(d));
    QSignalSpy prets(&p, &Prechargeur::pret);
    p.precharger({"a"});
    QTRY_COMPARE(d.enCours.load(), 1);
    d.porte.release(); // the worker may finish before or while we wait
    const ImagePrete a = p.obtenir("a");
    QVERIFY(a.ok());
    QCOMPARE(d.appels.load(), 1);
    QTRY_COMPARE(d.finis.load(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(prets.count(), 0); // already handed over: its late arrival adds nothing
    QCOMPARE(p.nombreEnCache(), 1);
}

void TestPrechargeur::budgetEnOctets()
{
    Decodeur d;
    Prechargeur p(par(d), 2500);
    p.precharger({"a", "b"});
    QTRY_VERIFY(p.estPret("a") && p.estPret("b"));
    p.obtenir("x"); // shown now, not wanted ahead: the oldest unwanted goes first
    p.precharger({"b", "c"});
    QTRY_VERIFY(p.estPret("c"));
    QVERIFY(p.octetsEnCache() <= 2500);
    QVERIFY(p.estPret("b"));
    QVERIFY(!p.estPret("a"));
    QVERIFY(!p.estPret("x")); // no longer wanted: it left before the wanted "b"

    // A picture larger than the whole budget is still kept while shown.
    Prechargeur petit(par(d), 10);
    QVERIFY(petit.obtenir("z").ok());
    QCOMPARE(petit.nombreEnCache(), 1);
}

QTEST_GUILESS_MAIN(TestPrechargeur)
#include "tst_prechargeur.moc"
