// The folder model: listing off the interface thread, the pattern, the order,
// listings that arrive late dropped, the current picture and the names derived
// from it, and file names that are not UTF-8 kept byte for byte.
#include "core/modeledossier.h"
#include "core/imageprete.h"
#include "platform/nomsfichiers.h"
#include "commun/connexionsrompues.h"

#include <QBuffer>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void creer(const QString& chemin)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

void attendreListe(const ModeleDossier& m)
{
    QTRY_VERIFY(!m.listageEnCours());
}
} // namespace

class TestModeleDossier : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void listeMotifEtOrdre();
    void nomsDerivesDuCourant();
    void listageTardifAbandonne();
    void relireGardeLeCourant();
    void nomQuiNEstPasUtf8();
    void dossierIllisible();
    void changementsDesAutresSuivis();
    void courantDisparuDonneSonVoisin();
    void fichierRemplaceApresLeListage();
    void dossierBloqueNeRetientRien();
};

void TestModeleDossier::listeMotifEtOrdre()
{
    QTemporaryDir d;
    for (const char* nom : {"b.JPG", "a.bmp", "C.gif", "notes.txt", "photo.jpeg", "scan.png", ".cache.jpg"})
        creer(d.filePath(nom));
    QVERIFY(QDir(d.path()).mkdir("Vacances"));
    ModeleDossier m;
    QSignalSpy listes(&m, &ModeleDossier::listeChangee);
    m.ouvrir(d.path());
    QCOMPARE(m.dossier(), d.path()); // at once, before the listing
    attendreListe(m);
    QCOMPARE(listes.count(), 1);
    QCOMPARE(m.fichiers(), (QStringList{"a.bmp", "b.JPG", "C.gif", "notes.txt", "photo.jpeg", "scan.png"}));
    QCOMPARE(m.sousDossiers(), QStringList{"Vacances"});
    // The viewer steps through every picture whatever the list shows, and only pictures.
    QCOMPARE(m.images(), (QStringList{"a.bmp", "b.JPG", "C.gif", "photo.jpeg", "scan.png"}));

    m.setMotif("*.jpg;*.GIF");
    QCOMPARE(listes.count(), 2);
    QCOMPARE(m.fichiers(), (QStringList{"b.JPG", "C.gif"}));
    QCOMPARE(m.images().size(), 5);
}

void TestModeleDossier::nomsDerivesDuCourant()
{
    QTemporaryDir d;
    for (const char* nom : {"a.bmp", "b.jpg", "c.wmf"})
        creer(d.filePath(nom));
    ModeleDossier m;
    m.ouvrir(d.path(), "c.wmf");
    attendreListe(m);
    QCOMPARE(m.FichierCourant(), d.filePath("c.wmf"));
    QCOMPARE(m.IndexFichier(), 2);

    QSignalSpy courant(&m, &ModeleDossier::courantChange);
    m.selectionner(1);
    QCOMPARE(m.FichierCourant(), d.filePath("b.jpg"));
    QCOMPARE(m.NomFichierCourant(), QString("b.jpg"));
    QCOMPARE(m.ExtensionCourante(), QString("jpg"));
    QCOMPARE(m.IndexFichier(), 1);
    m.selectionner(1); // chosen again: shown again
    QCOMPARE(courant.count(), 2);
    for (const qint64 horsListe : {qint64(-1), qint64(m.fichiers().size())})
        m.selectionner(horsListe);
    QCOMPARE(courant.count(), 2);
    QCOMPARE(m.IndexFichier(), 1);

    // The pattern leaves it out: still the current picture, at no index.
    m.setMotif("*.bmp");
    QCOMPARE(m.FichierCourant(), d.filePath("b.jpg"));
    QCOMPARE(m.IndexFichier(), -1);
    m.setMotif("*.*");
    QCOMPARE(m.IndexFichier(), 1);

    // A picture elsewhere has no index in this list.
    m.setFichierCourant("/ailleurs/b.jpg");
    QCOMPARE(m.IndexFichier(), -1);
    QCOMPARE(m.NomFichierCourant(), QString("b.jpg"));

    m.ouvrir(d.path());
    QVERIFY(m.FichierCourant().isEmpty());
    QCOMPARE(m.IndexFichier(), -1);
}

void TestModeleDossier::listageTardifAbandonne()
{
    // Shared with the listing, which may outlive the test.
    auto lent = std::make_shared<QSemaphore>();
    ModeleDossier m;
    m.setLister([lent](const QString& dossier) {
        ContenuDossier c;
        if (dossier == "/lent") {
            lent->acquire();
            c.fichiers = QStringList{"vieux.jpg"};
        } else {
            c.fichiers = QStringList{"neuf.jpg"};
        }
        return c;
    });
    QSignalSpy listes(&m, &ModeleDossier::listeChangee);
    m.ouvrir("/lent");
    m.ouvrir("/rapide");
    lent->release();
    QTRY_VERIFY(!m.listageEnCours());
    QCoreApplication::processEvents();
    QCOMPARE(m.dossier(), QString("/rapide"));
    QCOMPARE(m.fichiers(), QStringList{"neuf.jpg"});
    QCOMPARE(listes.count(), 1);
}

void TestModeleDossier::relireGardeLeCourant()
{
    QTemporaryDir d;
    for (const char* nom : {"a.bmp", "c.bmp"})
        creer(d.filePath(nom));
    ModeleDossier m;
    m.ouvrir(d.path(), "c.bmp");
    attendreListe(m);
    QCOMPARE(m.IndexFichier(), 1);
    creer(d.filePath("b.bmp"));
    m.relire();
    attendreListe(m);
    QCOMPARE(m.FichierCourant(), d.filePath("c.bmp"));
    QCOMPARE(m.IndexFichier(), 2); // the same file, at its new place
    QFile::remove(d.filePath("c.bmp"));
    m.relire();
    attendreListe(m);
    QCOMPARE(m.IndexFichier(), -1);
}

void TestModeleDossier::nomQuiNEstPasUtf8()
{
    QTemporaryDir d;
    // "été.bmp" written in Latin-1, as an old CD gives it, beside its UTF-8 twin.
    const QByteArray latin1 = QFile::encodeName(d.path()) + "/\xE9t\xE9.bmp";
    QImage rouge(8, 8, QImage::Format_RGB32);
    rouge.fill(Qt::red);
    QImage vert(8, 8, QImage::Format_RGB32);
    vert.fill(Qt::green);
    QVERIFY(vert.save(d.filePath("été.bmp"), "BMP"));
    QByteArray octets;
    {
        QBuffer tampon(&octets);
        tampon.open(QIODevice::WriteOnly);
        rouge.save(&tampon, "BMP");
    }
    const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, octets.constData(), size_t(octets.size())), ssize_t(octets.size()));
    ::close(fd);

    ModeleDossier m;
    m.ouvrir(d.path());
    attendreListe(m);
    QCOMPARE(m.fichiers().size(), 2);
    qint64 index = -1;
    for (qint64 i = 0; i < m.fichiers().size(); ++i)
        if (m.fichiers().at(i) != QStringLiteral("été.bmp"))
            index = i;
    QVERIFY(index >= 0);
    m.selectionner(index);
    // Shown with a replacement character, acted on by its own bytes.
    QCOMPARE(texteAffichable(m.NomFichierCourant()), QStringLiteral("\uFFFDt\uFFFD.bmp"));
    QCOMPARE(octetsDepuisChemin(m.FichierCourant()), latin1);
    QVERIFY(etatFichier(m.FichierCourant()).ordinaire);
    DemandeImage demande;
    demande.chemin = m.FichierCourant();
    demande.zone = QRectF(0, 0, 1500, 1500);
    const ImagePrete image = preparerImage(demande);
    QVERIFY2(image.ok(), qPrintable(image.erreur));
    QCOMPARE(image.image.pixelColor(0, 0), QColor(Qt::red)); // never its UTF-8 twin
}

void TestModeleDossier::dossierIllisible()
{
    ModeleDossier m;
    m.ouvrir("/nulle/part/ormelle");
    attendreListe(m);
    QVERIFY(m.fichiers().isEmpty());
    QVERIFY(!m.erreur().isEmpty());
}

// Another program adds, renames and rewrites: the list follows without being asked.
void TestModeleDossier::changementsDesAutresSuivis()
{
    QTemporaryDir d;
    for (const char* nom : {"a.jpg", "c.jpg"})
        creer(d.filePath(nom));
    ModeleDossier m;
    m.ouvrir(d.path(), "c.jpg");
    attendreListe(m);
    const IdentiteFichier avant = m.identite(d.filePath("c.jpg"));
    QVERIFY(avant.connue());
    creer(d.filePath("b.jpg"));
    QTRY_COMPARE(m.fichiers(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(m.IndexFichier(), 2);
    QVERIFY(QFile::rename(d.filePath("a.jpg"), d.filePath("d.jpg")));
    QTRY_COMPARE(m.fichiers(), (QStringList{"b.jpg", "c.jpg", "d.jpg"}));
    QCOMPARE(m.FichierCourant(), d.filePath("c.jpg"));

    // Rewritten in place, same size, its time set back: still another picture.
    QSignalSpy courant(&m, &ModeleDossier::courantChange);
    QFile f(d.filePath("c.jpg"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    const timespec temps[2] = {{0, UTIME_OMIT}, {avant.modifieNs / 1000000000, 0}};
    QVERIFY(::futimens(f.handle(), temps) == 0);
    f.close();
    QTRY_VERIFY(m.identite(d.filePath("c.jpg")) != avant);
    QCOMPARE(courant.count(), 1);
    QCOMPARE(m.FichierCourant(), d.filePath("c.jpg"));
}

void TestModeleDossier::courantDisparuDonneSonVoisin()
{
    QTemporaryDir d;
    for (const char* nom : {"a.jpg", "b.jpg", "c.jpg"})
        creer(d.filePath(nom));
    ModeleDossier m;
    m.ouvrir(d.path(), "b.jpg");
    attendreListe(m);
    QVERIFY(QFile::remove(d.filePath("b.jpg")));
    QTRY_COMPARE(m.fichiers().size(), 2);
    QCOMPARE(m.FichierCourant(), d.filePath("a.jpg"));
}

// Replaced by another file after the listing, before the watcher lists it again: what
// keys a cache is the file as it is when first asked for, never the one it replaced.
void TestModeleDossier::fichierRemplaceApresLeListage()
{
    QTemporaryDir d;
    for (const char* nom : {"a.jpg", "b.jpg"})
        creer(d.filePath(nom));
    ModeleDossier m;
    m.ouvrir(d.path());
    attendreListe(m);
    QCOMPARE(::rename(QFile::encodeName(d.filePath("b.jpg")), QFile::encodeName(d.filePath("a.jpg"))), 0);
    QCOMPARE(m.identite(d.filePath("a.jpg")), identiteFichier(d.filePath("a.jpg")));
}

// A folder on a mount that no longer answers: the next folder comes at once, the
// hung one is listed once however often it is asked, and the model goes while it hangs.
void TestModeleDossier::dossierBloqueNeRetientRien()
{
    struct Etat {
        QSemaphore porte;
        std::atomic<int> appels{0};
    };
    auto etat = std::make_shared<Etat>();
    auto m = std::make_unique<ModeleDossier>();
    m->setLister([etat](const QString& dossier) {
        ContenuDossier c;
        if (dossier == "/bloque") {
            ++etat->appels;
            etat->porte.tryAcquire(1, 30000);
        }
        c.fichiers = QStringList{dossier.mid(1) + ".jpg"};
        return c;
    });
    m->ouvrir("/bloque");
    m->ouvrir("/vite");
    QTRY_COMPARE(m->fichiers(), QStringList{"vite.jpg"});
    m->ouvrir("/bloque");
    m->relire();
    m->ouvrir("/bloque");
    QTRY_COMPARE(etat->appels.load(), 1);
    QVERIFY(m->listageEnCours());
    m.reset(); // does not wait for the hung listing
    etat->porte.release();
}

QTEST_GUILESS_MAIN(TestModeleDossier)
#include "tst_modeledossier.moc"
