// The picture service with a scripted decoder: priorities, cancellation before
// a decode starts, results of cancelled requests never delivered, the same
// request decoded once, and kept results that a changed file invalidates.
#include "decodeurscripte.h"
#include "core/vignettesbureau.h"
#include "commun/connexionsrompues.h"

#include <QCryptographicHash>
#include <QImageReader>
#include <QThread>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QtTest>

namespace {
DemandeImage demande(const QString& chemin, int mode = 0)
{
    DemandeImage d;
    d.chemin = chemin;
    d.mode = mode;
    return d;
}

// Asked as the views ask: with the identity the folder model measured.
DemandeImage telQueListee(const QString& chemin)
{
    DemandeImage d = demande(chemin);
    d.identite = identiteFichier(chemin);
    return d;
}
} // namespace

class TestServiceImages : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void prioritesPuisOrdreDArrivee();
    void annuleeAvantDeCommencer();
    void annuleeEnCoursJamaisLivree();
    void redemandeeApresAnnulationDecodeeDeNouveau();
    void memeDemandeDecodeeUneFois();
    void resultatGardeJusquAuChangementDuFichier();
    void jamaisDeRappelDansLAppel();
    void vignetteEcriteSelonLeStandard();
    void decodageBloqueNeRetientPasLaFin();
    void departAnnuleLesDecodagesEnCours();
    void vignetteDuBureauPrisePuisRemplaceeSiPerimee();
};

void TestServiceImages::prioritesPuisOrdreDArrivee()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 1);
    QStringList livres;
    auto noter = [&](const ImagePrete& i) { livres << i.chemin; };
    s.demander(demande("occupe"), ServiceImages::Anticipation, noter);
    QTRY_COMPARE(d.enCours.load(), 1); // the only worker is busy from here on
    s.demander(demande("anticipe1"), ServiceImages::Anticipation, noter);
    s.demander(demande("miniature"), ServiceImages::Miniature, noter);
    s.demander(demande("anticipe2"), ServiceImages::Anticipation, noter);
    s.demander(demande("affiche"), ServiceImages::Affichage, noter);
    QCOMPARE(s.enAttente(), 4);
    d.bloquer = false;
    d.porte.release(5);
    QTRY_COMPARE(livres.size(), 5);
    QCOMPARE(d.commences(), (QStringList{"occupe", "affiche", "miniature", "anticipe1", "anticipe2"}));
    QCOMPARE(livres, d.commences());
}

void TestServiceImages::annuleeAvantDeCommencer()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 1);
    int livres = 0;
    s.demander(demande("occupe"), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(d.enCours.load(), 1);
    // A burst of selections: each one replaces the one before.
    quint64 ticket = 0;
    QString dernier;
    for (int k = 0; k < 30; ++k) {
        s.annuler(ticket);
        ticket = s.demander(demande(QString::number(k)), ServiceImages::Affichage,
                            [&](const ImagePrete& i) { dernier = i.chemin; });
    }
    QCOMPARE(s.enAttente(), 1);
    d.bloquer = false;
    d.porte.release(2);
    QTRY_COMPARE(dernier, QString("29"));
    QCOMPARE(d.appels.load(), 2); // the busy one and the last: the 29 others never started
    QCOMPARE(livres, 1);
}

void TestServiceImages::annuleeEnCoursJamaisLivree()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 2);
    int livres = 0;
    const quint64 t = s.demander(demande("a"), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(d.enCours.load(), 1);
    s.annuler(t);
    d.porte.release();
    QTRY_COMPARE(d.finis.load(), 1);
    QTRY_COMPARE(s.enCours(), 0);
    QCOMPARE(livres, 0);
    QCOMPARE(d.annulationsVues.load(), 1); // told to stop, so it can stop early
    ImagePrete garde;
    QVERIFY(!s.resultatGarde(demande("a"), &garde)); // a cut-short result is never kept
}

// The user leaves a picture and comes straight back while its decode is still being
// stopped: the cut-short decode must not serve the new request.
void TestServiceImages::redemandeeApresAnnulationDecodeeDeNouveau()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 2);
    const quint64 t = s.demander(demande("a"), 0, [](const ImagePrete&) {});
    QTRY_COMPARE(d.enCours.load(), 1);
    s.annuler(t);
    int livres = 0;
    s.demander(demande("a"), ServiceImages::Affichage, [&](const ImagePrete& image) {
        ++livres;
        QVERIFY(!image.image.isNull());
    });
    d.bloquer = false;
    d.porte.release(2);
    QTRY_COMPARE(livres, 1);
    QCOMPARE(d.appels.load(), 2);
    QCOMPARE(d.annulationsVues.load(), 1); // only the first was told to stop
}

void TestServiceImages::memeDemandeDecodeeUneFois()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 2);
    int premier = 0, second = 0, autreMode = 0;
    const quint64 t1 = s.demander(demande("a"), 0, [&](const ImagePrete&) { ++premier; });
    QTRY_COMPARE(d.enCours.load(), 1);
    s.demander(demande("a"), ServiceImages::Affichage, [&](const ImagePrete&) { ++second; });
    s.demander(demande("a", 2), 0, [&](const ImagePrete&) { ++autreMode; });
    s.annuler(t1); // the other asker still wants it
    d.bloquer = false;
    d.porte.release(2);
    QTRY_COMPARE(second + autreMode, 2);
    QCOMPARE(premier, 0);
    QCOMPARE(d.appels.load(), 2); // "a" once, and once for the other fitting
}

void TestServiceImages::resultatGardeJusquAuChangementDuFichier()
{
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("photo.jpg");
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("un");
    f.close();
    DecodeurScripte d;
    ServiceImages s(par(d));
    int livres = 0;
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 1);
    ImagePrete garde;
    QVERIFY(s.resultatGarde(telQueListee(chemin), &garde));
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 2);
    QCOMPARE(d.appels.load(), 1);

    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write(" de plus"); // another size: another picture
    f.close();
    QVERIFY(!s.resultatGarde(telQueListee(chemin), &garde));
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 3);
    QCOMPARE(d.appels.load(), 2);

    // Rewritten in place with the same size (a photo retouched and saved again).
    const QDateTime avant = QFileInfo(chemin).lastModified();
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.write("UN");
    QVERIFY(f.setFileTime(avant.addSecs(2), QFileDevice::FileModificationTime));
    f.close();
    QVERIFY(!s.resultatGarde(telQueListee(chemin), &garde));
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 4);
    QCOMPARE(d.appels.load(), 3);
    s.oublier(chemin);
    QVERIFY(!s.resultatGarde(telQueListee(chemin), &garde));
}

void TestServiceImages::jamaisDeRappelDansLAppel()
{
    DecodeurScripte d;
    ServiceImages s(par(d));
    int livres = 0;
    s.demander(demande("a"), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 1);
    s.demander(demande("a"), 0, [&](const ImagePrete&) { ++livres; }); // kept: still later
    QCOMPARE(livres, 1);
    QTRY_COMPARE(livres, 2);
}

// A decode stuck on a mount that no longer answers: the service goes all the same.
void TestServiceImages::decodageBloqueNeRetientPasLaFin()
{
    auto porte = std::make_shared<QSemaphore>();
    auto s = std::make_unique<ServiceImages>([porte](const DemandeImage&) {
        porte->tryAcquire(1, 30000);
        return ImagePrete{};
    });
    s->demander(demande("a"), 0, [](const ImagePrete&) { QFAIL("delivered after the service went"); });
    QCOMPARE(s->enCours(), 1);
    s.reset();
    porte->release();
}

// The service's going tells a running decode to stop, which a slow decoder sees.
void TestServiceImages::departAnnuleLesDecodagesEnCours()
{
    auto commence = std::make_shared<QSemaphore>();
    auto vu = std::make_shared<std::atomic<bool>>(false);
    auto s = std::make_unique<ServiceImages>([commence, vu](const DemandeImage& d) {
        commence->release();
        // A decode of many steps, looking at its flag between them.
        for (int pas = 0; pas < 100'000 && !*d.annulation; ++pas)
            QThread::usleep(100);
        *vu = d.annulation->load();
        return ImagePrete{};
    });
    s->demander(demande("lent"), 0, [](const ImagePrete&) {});
    QVERIFY(commence->tryAcquire(1, 10000));
    s.reset();
    QTRY_VERIFY(vu->load());
}

namespace {
// A picture on disk, the shared cache in a folder of the test, and a service whose
// decodes of thumbnails are counted.
struct BancVignettes {
    QTemporaryDir dossier;
    QString photo = dossier.filePath("Été (1).png");
    // Owned with the decodes too: one may outlive the bench.
    std::shared_ptr<std::atomic<int>> decodes = std::make_shared<std::atomic<int>>(0);
    ServiceImages service{[decodes = decodes](const DemandeImage& d) {
        return vignettes::preparerMiniature(d, [decodes](const QString& c, const QSize& s) {
            ++*decodes;
            return chargerImage(c, s);
        });
    }};
    BancVignettes()
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dossier.filePath("cache")));
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::blue);
        image.save(photo, "PNG");
    }
    QColor cellule()
    {
        DemandeImage d = demandeMiniature(photo, QRectF(0, 0, 1920, 1440), 1);
        d.identite = identiteFichier(photo);
        QColor vue;
        bool livre = false;
        service.demander(d, ServiceImages::Miniature, [&](const ImagePrete& i) {
            vue = i.ok() ? i.image.pixelColor(5, 5) : QColor();
            livre = true;
        });
        if (!QTest::qWaitFor([&] { return livre; }))
            return {};
        return vue;
    }
};
} // namespace

void TestServiceImages::vignetteEcriteSelonLeStandard()
{
    BancVignettes b;
    QCOMPARE(b.cellule(), QColor(Qt::blue));
    const QByteArray uri = "file://" + QFile::encodeName(b.dossier.path()) + "/%C3%89t%C3%A9%20(1).png";
    const QString vignette = b.dossier.filePath("cache/thumbnails/normal/")
                             + QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
    QFile f(vignette);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray png = f.readAll();
    const QHash<QByteArray, QByteArray> textes = vignettes::textesPng(png);
    QCOMPARE(textes.value("Thumb::URI"), uri);
    QCOMPARE(textes.value("Thumb::MTime").toLongLong(), QFileInfo(b.photo).lastModified().toSecsSinceEpoch());
    QCOMPARE(textes.value("Thumb::Size").toLongLong(), QFileInfo(b.photo).size());
    QVERIFY(textes.value("Software").startsWith("Ormelle"));
    QCOMPARE(QImage::fromData(png).size(), QSize(128, 85));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(vignette).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    for (const char* d : {"cache/thumbnails", "cache/thumbnails/normal"}) {
        QCOMPARE(::stat(QFile::encodeName(b.dossier.filePath(d)).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }
}

// One a file manager made is shown without decoding; one made before the picture
// changed is made again.
void TestServiceImages::vignetteDuBureauPrisePuisRemplaceeSiPerimee()
{
    BancVignettes b;
    const QString vignette = vignettes::cheminVignette(b.photo, 128);
    QVERIFY(QDir().mkpath(QFileInfo(vignette).path()));
    QImage faite(128, 85, QImage::Format_ARGB32);
    faite.fill(Qt::red);
    faite.setText("Thumb::URI", vignettes::uri(b.photo));
    faite.setText("Thumb::MTime", QString::number(QFileInfo(b.photo).lastModified().toSecsSinceEpoch()));
    QVERIFY(faite.save(vignette, "PNG"));
    QCOMPARE(b.cellule(), QColor(Qt::red));
    QCOMPARE(b.decodes->load(), 0);

    faite.setText("Thumb::MTime", "12345");
    QVERIFY(faite.save(vignette, "PNG"));
    b.service.setBudgetResultats(0); // nothing kept from the first time
    QCOMPARE(b.cellule(), QColor(Qt::blue));
    QCOMPARE(b.decodes->load(), 1);
    QCOMPARE(QImageReader(vignette).read().pixelColor(5, 5), QColor(Qt::blue));
}

QTEST_GUILESS_MAIN(TestServiceImages)
#include "tst_serviceimages.moc"
