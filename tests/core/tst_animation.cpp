// Animated pictures with a scripted clock: each frame handed out at its time and
// not before, at the size of the first one; the loop count of the file honoured;
// a still picture or a damaged frame ending the play quietly; nothing handed
// out once the animation is dropped; a slow frame shown late rather than
// rushing the ones after it; frames going round a few buffers without any
// of them showing what it held before; GIF frames composited as their disposal,
// transparency, interlacing and rectangle say.
#include "animationessai.h"
#include "commun/connexionsrompues.h"
#include "commun/ecrituregif.h"
#include "commun/horlogescriptee.h"
#include "core/animation.h"
#include "core/serviceimages.h"

#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestAnimation : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void chaqueImageASonHeure();
    void nombreDeBouclesRespecte_data();
    void nombreDeBouclesRespecte();
    void imageFixeOuAbimeeArreteSansBruit();
    void abandonneeNeLivrePlusRien();
    void retardRattrapeSansPrecipiter();
    void suiteGif();
    void tamponsReutilisesSansReste_data();
    void tamponsReutilisesSansReste();
    void webpAnime();
    void compositionGif_data();
    void compositionGif();

private:
    QTemporaryDir dossier_;
};

void TestAnimation::chaqueImageASonHeure()
{
    const QString chemin = dossier_.filePath("rvb.gif");
    QVERIFY(ecrituregif::ecrire(chemin, QSize(40, 24), RougeVertBleu, 0));
    Vue vue(chemin);
    QVERIFY(vue.premiere.ok());
    QVERIFY(vue.premiere.animable);
    QCOMPARE(vue.premiere.image.size(), QSize(20, 12));

    ServiceImages service;
    HorlogeScriptee h;
    Animation a(service, h, vue.demande, vue.premiere);
    Releve r(a, h);
    // Decoded ahead, never more than allowed, and nothing shown before its time.
    QTRY_COMPARE(a.pretes(), Animation::Avance);
    QCOMPARE(a.echeance(), 100);
    h.avancer(99);
    laisserTourner();
    QVERIFY(r.couleurs.isEmpty());
    QCOMPARE(a.numero(), 0);

    h.avancer(1);
    QTRY_COMPARE(r.couleurs.size(), 1);
    QCOMPARE(r.couleurs[0], QColor(Qt::green));
    QCOMPARE(r.temps[0], 100);
    QCOMPARE(r.taille, QSize(20, 12)); // at the size the first one was fitted to
    QCOMPARE(a.echeance(), 300);

    h.avancer(199);
    laisserTourner();
    QCOMPARE(r.couleurs.size(), 1);
    h.avancer(1);
    QTRY_COMPARE(r.couleurs.size(), 2);
    QCOMPARE(r.couleurs[1], QColor(Qt::blue));

    // Looping forever: the first frame again after the last one's 300 ms.
    h.avancer(300);
    QTRY_COMPARE(r.couleurs.size(), 3);
    QCOMPARE(r.couleurs[2], QColor(Qt::red));
    QCOMPARE(a.numero(), 0);
    QCOMPARE(a.tour(), 2);
    h.avancer(100);
    QTRY_COMPARE(r.couleurs.size(), 4);
    QCOMPARE(r.couleurs[3], QColor(Qt::green));
    QCOMPARE(r.temps, (QList<qint64>{100, 300, 600, 700}));
    QVERIFY(a.enCours());
}

void TestAnimation::nombreDeBouclesRespecte_data()
{
    QTest::addColumn<int>("boucles"); // as written in the file; -1: no loop extension
    QTest::addColumn<QList<int>>("attendus");
    QTest::newRow("sans extension: une fois") << -1 << QList<int>{1, 2};
    QTest::newRow("une de plus") << 1 << QList<int>{1, 2, 0, 1, 2};
    QTest::newRow("deux de plus") << 2 << QList<int>{1, 2, 0, 1, 2, 0, 1, 2};
}

void TestAnimation::nombreDeBouclesRespecte()
{
    QFETCH(int, boucles);
    QFETCH(QList<int>, attendus);
    const QString chemin = dossier_.filePath(QStringLiteral("boucles%1.gif").arg(boucles));
    QVERIFY(ecrituregif::ecrire(chemin, QSize(4, 4), RougeVertBleu, boucles));
    Vue vue(chemin);
    ServiceImages service;
    HorlogeScriptee h;
    Animation a(service, h, vue.demande, vue.premiere);
    Releve r(a, h);
    QSignalSpy finie(&a, &Animation::terminee);
    jouerJusquAuBout(a, h);
    QTRY_COMPARE(finie.count(), 1);
    QCOMPARE(r.numeros, attendus);
    QCOMPARE(r.couleurs.last(), QColor(Qt::blue)); // the last frame stays
}

void TestAnimation::imageFixeOuAbimeeArreteSansBruit()
{
    // One frame: nothing to play.
    const QString fixe = dossier_.filePath("fixe.gif");
    QVERIFY(ecrituregif::ecrire(fixe, QSize(4, 4), {{Qt::red, 10}}, 0));
    Vue vueFixe(fixe);
    ServiceImages service;
    HorlogeScriptee h;
    {
        Animation a(service, h, vueFixe.demande, vueFixe.premiere);
        QSignalSpy finie(&a, &Animation::terminee);
        Releve r(a, h);
        QTRY_COMPARE(finie.count(), 1);
        h.avancer(1000);
        laisserTourner();
        QVERIFY(r.couleurs.isEmpty());
    }

    // The third frame cut short in a file that loops forever: the second stays.
    QByteArray octets = ecrituregif::gif(QSize(8, 6), RougeVertBleu, 0);
    qsizetype troisieme = -1;
    for (int n = 0; n < 3; ++n)
        troisieme = octets.indexOf(QByteArray("\x21\xF9", 2), troisieme + 1);
    QVERIFY(troisieme > 0);
    octets.truncate(troisieme + 8 + 10); // its control block and descriptor, no picture data
    const QString abimee = dossier_.filePath("abimee.gif");
    QFile f(abimee);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
    f.close();
    Vue vue(abimee);
    QVERIFY(vue.premiere.ok());
    Animation a(service, h, vue.demande, vue.premiere);
    Releve r(a, h);
    QSignalSpy finie(&a, &Animation::terminee);
    for (int i = 0; i < 4; ++i) {
        h.avancer(300);
        laisserTourner();
    }
    QTRY_COMPARE(finie.count(), 1);
    QCOMPARE(r.couleurs, (QList<QColor>{Qt::green}));
    QVERIFY(!a.enCours());
}

void TestAnimation::abandonneeNeLivrePlusRien()
{
    const QString chemin = dossier_.filePath("abandon.gif");
    QVERIFY(ecrituregif::ecrire(chemin, QSize(4, 4), RougeVertBleu, 0));
    Vue vue(chemin);
    ServiceImages service([](const DemandeImage& d) { return preparerImage(d); }, 1);
    HorlogeScriptee h;
    int livrees = 0;
    {
        Animation a(service, h, vue.demande, vue.premiere);
        QObject::connect(&a, &Animation::imageDue, [&] { ++livrees; });
        // Dropped with its first frame being read.
    }
    QTRY_COMPARE(service.enCours(), 0);
    h.avancer(10'000);
    laisserTourner();
    QCOMPARE(livrees, 0);
    QCOMPARE(service.enAttente(), 0);
}

void TestAnimation::retardRattrapeSansPrecipiter()
{
    const QString chemin = dossier_.filePath("lent.gif");
    QVERIFY(ecrituregif::ecrire(chemin, QSize(4, 4), {{Qt::red, 10}, {Qt::green, 10}, {Qt::blue, 10}}, 0));
    Vue vue(chemin);
    ServiceImages service;
    HorlogeScriptee h;
    Animation a(service, h, vue.demande, vue.premiere);
    Releve r(a, h);
    QTRY_COMPARE(a.pretes(), Animation::Avance);

    // A little late: the next frame keeps its own due time.
    h.avancer(150);
    QTRY_COMPARE(r.couleurs.size(), 1);
    QCOMPARE(a.echeanceAffichee(), 100);
    QCOMPARE(a.echeance(), 200);
    // Far too late (the machine stalled): the timing starts again from now.
    h.avancer(400);
    QTRY_COMPARE(r.couleurs.size(), 2);
    QCOMPARE(a.echeance(), 650);
    h.avancer(99);
    laisserTourner();
    QCOMPARE(r.couleurs.size(), 2);

    // A delay of 0 or 10 ms in the file means 100 ms, as in browsers.
    QCOMPARE(Animation::dureeAffichage(0), 100);
    QCOMPARE(Animation::dureeAffichage(10), 100);
    QCOMPARE(Animation::dureeAffichage(20), 20);
}

// The animated files of a public GIF suite, when it is installed: each frame
// handed out is the composited canvas the suite expects (disposal methods, sub-frames).
void TestAnimation::suiteGif()
{
    const QString racine = qEnvironmentVariable("ORMELLE_TESTDATA") + QStringLiteral("/gif/pygif/");
    if (!QFileInfo::exists(racine + QStringLiteral("TESTS")))
        QSKIP("GIF suite absent");
    int verifiees = 0;
    // "dispose-restore-previous" takes an image with no control block for part of the next frame: left out.
    for (const char* test : {"animation", "dispose-keep", "dispose-none", "dispose-restore-background"}) {
        QString gif;
        QStringList pixels;
        QVERIFY2(lireSuite(racine, QLatin1String(test), &gif, &pixels), test);
        DemandeImage d = demandeNaturelle(gif);
        d.fond = Qt::black;
        const ImagePrete premiere = preparerImage(d);
        QVERIFY2(premiere.ok(), test);
        ServiceImages service;
        HorlogeScriptee h;
        Animation a(service, h, d, premiere);
        QList<QImage> trames;
        QObject::connect(&a, &Animation::imageDue, [&](const QImage& i) { trames << i; });
        for (int i = 1; i < pixels.size(); ++i) {
            h.avancer(1000);
            QTRY_COMPARE(trames.size(), i);
            QFile attendu(pixels[i]);
            QVERIFY(attendu.open(QIODevice::ReadOnly));
            const QByteArray rgba = attendu.readAll();
            const QImage& t = trames.last();
            QCOMPARE(qsizetype(t.width()) * t.height() * 4, rgba.size());
            for (int y = 0; y < t.height(); ++y)
                for (int x = 0; x < t.width(); ++x) {
                    const uchar* p = reinterpret_cast<const uchar*>(rgba.constData()) + (y * t.width() + x) * 4;
                    // What nothing has painted is laid on the background asked for.
                    const QColor voulu = p[3] == 0 ? QColor(Qt::black) : QColor(p[0], p[1], p[2]);
                    QVERIFY2(t.pixelColor(x, y) == voulu,
                             qPrintable(
                                 QStringLiteral("%1 trame %2 (%3,%4)").arg(QLatin1String(test)).arg(i).arg(x).arg(y)));
                }
            ++verifiees;
        }
    }
    QCOMPARE(verifiees, 12);
}

// Frames go round a few buffers, and none shows anything of the frame it held
// before: transparent parts, either disposal, and the first frame again at each play.
void TestAnimation::tamponsReutilisesSansReste_data()
{
    QTest::addColumn<QString>("test");
    QTest::newRow("garder") << QStringLiteral("dispose-keep");
    QTest::newRow("effacer") << QStringLiteral("dispose-restore-background");
}

void TestAnimation::tamponsReutilisesSansReste()
{
    QFETCH(QString, test);
    QString gif;
    QStringList pixels;
    if (!lireSuite(qEnvironmentVariable("ORMELLE_TESTDATA") + QStringLiteral("/gif/pygif/"), test, &gif, &pixels))
        QSKIP("GIF suite absent");
    DemandeImage d = demandeNaturelle(gif);
    d.fond = Qt::black;
    ServiceImages service;
    HorlogeScriptee h;
    Animation a(service, h, d, preparerImage(d));
    int vues = 0;
    QStringList fausses;
    QSet<qint64> tampons;
    // One frame kept throughout, as a slow view might: with a buffer fewer going
    // round, each comes back to a frame other than the one it held.
    QImage gardee;
    QObject::connect(&a, &Animation::imageDue, [&](const QImage& i) {
        if (gardee.isNull())
            gardee = i;
        ++vues;
        tampons.insert(i.cacheKey() >> 32); // the same buffer keeps the upper half
        if (!conforme(i, pixels.value(a.numero())))
            fausses << QStringLiteral("%1.%2").arg(a.tour()).arg(a.numero());
    });
    for (int i = 1; i <= 3 * pixels.size(); ++i) {
        h.avancer(1000);
        QTRY_COMPARE(vues, i);
    }
    QCOMPARE(fausses, QStringList());
    QVERIFY2(tampons.size() <= Animation::Avance + 2, qPrintable(QString::number(tampons.size())));
}

// Animated WebP goes through the same reader: made here with img2webp from three PNGs.
void TestAnimation::webpAnime()
{
    const QString img2webp = QStandardPaths::findExecutable(QStringLiteral("img2webp"));
    if (img2webp.isEmpty())
        QSKIP("img2webp absent (Debian webp)");
    QStringList arguments{QStringLiteral("-loop"), QStringLiteral("2"), QStringLiteral("-lossless")};
    for (int i = 0; i < RougeVertBleu.size(); ++i) {
        QImage image(40, 24, QImage::Format_RGB32);
        image.fill(RougeVertBleu[i].couleur);
        const QString png = dossier_.filePath(QStringLiteral("w%1.png").arg(i));
        QVERIFY(image.save(png));
        arguments << QStringLiteral("-d") << QString::number(RougeVertBleu[i].delaiCentiemes * 10) << png;
    }
    const QString webp = dossier_.filePath(QStringLiteral("anime.webp"));
    arguments << QStringLiteral("-o") << webp;
    QCOMPARE(QProcess::execute(img2webp, arguments), 0);

    Vue vue(webp);
    QVERIFY(vue.premiere.ok());
    if (!vue.premiere.animable)
        QSKIP("Qt's WebP reader does not play animations here");
    QCOMPARE(vue.premiere.image.size(), QSize(20, 12));
    ServiceImages service;
    HorlogeScriptee h;
    Animation a(service, h, vue.demande, vue.premiere);
    Releve r(a, h);
    QSignalSpy finie(&a, &Animation::terminee);
    jouerJusquAuBout(a, h);
    QTRY_COMPARE(finie.count(), 1);
    // Loop count 2 in WebP: two plays in all, each frame at its delay.
    QCOMPARE(r.numeros, (QList<int>{1, 2, 0, 1, 2}));
    QCOMPARE(r.couleurs, (QList<QColor>{Qt::green, Qt::blue, Qt::red, Qt::green, Qt::blue}));
    QCOMPARE(r.temps, (QList<qint64>{100, 300, 600, 700, 900}));
    QCOMPARE(r.taille, QSize(20, 12));
}

// A frame with a transparent part over a red one, then a pixel elsewhere: what
// the second frame leaves shows through the third as its disposal says, its
// interlaced rows in place, what sticks out of the canvas left out; the next play
// starts again from the background.
void TestAnimation::compositionGif_data()
{
    QTest::addColumn<int>("disposition");
    QTest::addColumn<bool>("entrelacee");
    QTest::addColumn<QRect>("cadre");
    QTest::addColumn<QColor>("transparentApres"); // where the second frame was transparent
    QTest::addColumn<QColor>("opaqueApres");      // where it was green
    const QRect dedans(2, 2, 4, 4), debordant(4, 2, 6, 4);
    QTest::newRow("garder") << 1 << false << dedans << QColor(Qt::red) << QColor(Qt::green);
    QTest::newRow("effacer") << 2 << false << dedans << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("restaurer") << 3 << false << dedans << QColor(Qt::red) << QColor(Qt::red);
    QTest::newRow("restaurer entrelacée") << 3 << true << dedans << QColor(Qt::red) << QColor(Qt::red);
    QTest::newRow("effacer débordant") << 2 << true << debordant << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("restaurer débordant") << 3 << false << debordant << QColor(Qt::red) << QColor(Qt::red);
}

void TestAnimation::compositionGif()
{
    QFETCH(int, disposition);
    QFETCH(bool, entrelacee);
    QFETCH(QRect, cadre);
    QFETCH(QColor, transparentApres);
    QFETCH(QColor, opaqueApres);
    // Red with its last pixel transparent; then two transparent columns, a blue row
    // among green ones; then a blue pixel where the first frame was transparent.
    QByteArray premiere(64, char(0)), seconde;
    premiere[63] = char(255);
    for (int y = 0; y < cadre.height(); ++y)
        for (int x = 0; x < cadre.width(); ++x)
            seconde.append(char(x < 2 ? 255 : y == 1 ? 2 : 1));
    const QString chemin = dossier_.filePath(QStringLiteral("composition%1.gif").arg(QTest::currentDataTag()));
    QVERIFY(ecrituregif::ecrire(chemin, QSize(8, 8),
                                {{Qt::red, 10, {}, {}, 1, premiere},
                                 {Qt::green, 10, {}, cadre, disposition, seconde, entrelacee},
                                 {Qt::blue, 10, {}, QRect(7, 7, 1, 1)}},
                                0));
    DemandeImage d = demandeNaturelle(chemin);
    d.fond = Qt::white;
    ServiceImages service;
    HorlogeScriptee h;
    Animation a(service, h, d, preparerImage(d));
    QList<QImage> t;
    QObject::connect(&a, &Animation::imageDue, [&](const QImage& i) { t << i.copy(); });
    for (int i = 1; i <= 4; ++i) {
        h.avancer(100);
        QTRY_COMPARE(t.size(), i);
    }
    const QPoint transparent = cadre.topLeft(), vert = cadre.topLeft() + QPoint(3, 2);
    QCOMPARE(t[0].pixelColor(transparent), QColor(Qt::red));
    QCOMPARE(t[0].pixelColor(vert), QColor(Qt::green));
    QCOMPARE(t[0].pixelColor(vert - QPoint(0, 1)), QColor(Qt::blue));
    QCOMPARE(t[1].pixelColor(transparent), transparentApres);
    QCOMPARE(t[1].pixelColor(vert), opaqueApres);
    QCOMPARE(t[1].pixelColor(7, 7), QColor(Qt::blue));
    QCOMPARE(a.tour(), 2);
    QCOMPARE(t[2].pixelColor(7, 7), QColor(Qt::white));
    QCOMPARE(t[3], t[0]);
}

QTEST_GUILESS_MAIN(TestAnimation)
#include "tst_animation.moc"
