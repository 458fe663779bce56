#include "imagesessai.h"
#include "platform/chargeurimage.h"
#include "platform/formatimage.h"
#include "platform/listedossier.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestListeDossier : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dossier;

    void creer(const QString& nom)
    {
        QFile f(m_dossier.filePath(nom));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        QVERIFY(m_dossier.isValid());
        for (const char* nom : {"b.jpg", "A.JPG", "c.Jpg", "a.bmp", "sansextension", ".cachee.jpg", "photo.jpeg",
                                "Été.gif", "ete.GIF", "zèbre.dib", "img10.rle", "img2.rle"})
            creer(QString::fromUtf8(nom));
        // A folder named like a picture and links: only what opens as a file is listed.
        QVERIFY(QDir(m_dossier.path()).mkdir(QStringLiteral("dossier.jpg")));
        QVERIFY(
            QFile::link(m_dossier.filePath(QStringLiteral("b.jpg")), m_dossier.filePath(QStringLiteral("lien.jpg"))));
        QVERIFY(
            QFile::link(m_dossier.filePath(QStringLiteral("absent")), m_dossier.filePath(QStringLiteral("casse.jpg"))));
    }

    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The list's pattern and the first picture's size load no image plugin but that
    // picture's own: the others, and their libraries, stay out of the start.
    void demarrageSansAutresGreffons()
    {
        const QStringList motifs = motifImagesLisibles().split(QLatin1Char(';'));
        QTemporaryDir dossier;
        const QString gif = dossier.filePath(QStringLiteral("un.gif"));
        QVERIFY(essai::ecrire(gif, essai::gif(2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0, 0, 0)},
                                              QByteArray("\0\1", 2), -1)));
        QCOMPARE(lireTailleNaturelle(gif), QSize(2, 1));
        QFile cartes(QStringLiteral("/proc/self/maps"));
        QVERIFY(cartes.open(QIODevice::ReadOnly));
        QSet<QByteArray> greffons;
        for (const QByteArray& ligne : cartes.readAll().split('\n'))
            if (ligne.contains("/imageformats/"))
                greffons << ligne.mid(ligne.lastIndexOf('/') + 1);
        QCOMPARE(greffons, QSet<QByteArray>{"libqgif.so"});
        for (const QByteArray& f : QImageReader::supportedImageFormats())
            QVERIFY2(motifs.contains(QStringLiteral("*.") + QString::fromLatin1(f)), f.constData());
    }

    void motifs_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("motif");
        QTest::addColumn<bool>("attendu");
        QTest::newRow("capitales du nom") << "PHOTO.JPG"
                                          << "*.jpg" << true;
        QTest::newRow("capitales du motif") << "photo.jpg"
                                            << "*.JPG" << true;
        QTest::newRow("autre extension") << "photo.jpeg"
                                         << "*.jpg" << false;
        QTest::newRow("extension au milieu") << "photo.jpg.txt"
                                             << "*.jpg" << false;
        QTest::newRow("*.* sans point") << "LISEZMOI"
                                        << "*.*" << true;
        QTest::newRow("*.* avec point") << "a.b"
                                        << "*.*" << true;
        QTest::newRow("*. sans point") << "LISEZMOI"
                                       << "*." << true;
        QTest::newRow("*. avec point") << "a.b"
                                       << "*." << false;
        QTest::newRow("liste, second motif") << "x.gif"
                                             << "*.bmp;*.gif" << true;
        QTest::newRow("liste, aucun") << "x.png"
                                      << "*.bmp;*.gif" << false;
        QTest::newRow("liste, espaces") << "x.DIB"
                                        << " *.bmp ; *.dib " << true;
        QTest::newRow("six formats") << "x.Rle"
                                     << "*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf" << true;
        QTest::newRow("points d'interrogation") << "IMG_01.JPG"
                                                << "img_??.jpg" << true;
        QTest::newRow("un caractère de trop") << "IMG_001.JPG"
                                              << "img_??.jpg" << false;
        QTest::newRow("retour en arrière") << "abcbd"
                                           << "a*bd" << true;
        QTest::newRow("étoiles multiples") << "vacances-2023-été.jpg"
                                           << "*-*-*.JPG" << true;
        QTest::newRow("accent et casse") << "ÉTÉ.GIF"
                                         << "été.*" << true;
        QTest::newRow("signe kelvin") << QString::fromUtf8("x.\u212A") << "*.k" << true;
    }

    void motifs()
    {
        QFETCH(QString, nom);
        QFETCH(QString, motif);
        QFETCH(bool, attendu);
        QCOMPARE(correspondMotif(nom, motif), attendu);
        // The listing judges most names before making text of them: alike.
        QTemporaryDir d;
        QVERIFY(QFile(d.filePath(nom)).open(QIODevice::WriteOnly));
        QCOMPARE(listerFichiers(d.path(), motif), attendu ? QStringList{nom} : QStringList{});
    }

    void listeFiltreeEtTriee()
    {
        QString erreur = QStringLiteral("non vidée");
        const QStringList jpg = listerFichiers(m_dossier.path(), QStringLiteral("*.jpg"), &erreur);
        QVERIFY(erreur.isEmpty());
        QCOMPARE(jpg, (QStringList{"A.JPG", "b.jpg", "c.Jpg", "lien.jpg"}));

        const QStringList deux = listerFichiers(m_dossier.path(), QStringLiteral("*.bmp;*.JPG"));
        QCOMPARE(deux, (QStringList{"a.bmp", "A.JPG", "b.jpg", "c.Jpg", "lien.jpg"}));

        const QStringList tout = listerFichiers(m_dossier.path(), QStringLiteral("*.*"));
        QVERIFY(tout.contains(QStringLiteral("sansextension")));
        QVERIFY(!tout.contains(QStringLiteral(".cachee.jpg")));
        QVERIFY(!tout.contains(QStringLiteral("dossier.jpg")));
        QVERIFY(!tout.contains(QStringLiteral("casse.jpg")));
        QCOMPARE(tout.size(), 12);
    }

    void triSansCasseNiNumerique()
    {
        QStringList noms{"b", "B", "a", "img2.rle", "img10.rle", "A"};
        trierNoms(noms);
        // Same name but for case: a fixed order, capital first.
        QCOMPARE(noms, (QStringList{"A", "a", "B", "b", "img10.rle", "img2.rle"}));
        // Past the first sixteen characters too.
        QStringList longs{"IMG_20231224_123456.jpg", "img_20231224_123455.JPG", "img_20231224_12345.jpg"};
        trierNoms(longs);
        QCOMPARE(longs, (QStringList{"img_20231224_12345.jpg", "img_20231224_123455.JPG", "IMG_20231224_123456.jpg"}));
    }

    void triSelonLaLangue()
    {
        QStringList noms = QStringList{"zèbre", "école", "Eau", "ecole", "Zoé"};
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        trierNoms(noms);
        QCOMPARE(noms, (QStringList{"Eau", "ecole", "école", "zèbre", "Zoé"}));
    }

    void dossierIllisible()
    {
        QString erreur;
        QVERIFY(listerFichiers(m_dossier.filePath(QStringLiteral("absent")), QStringLiteral("*.*"), &erreur).isEmpty());
        QCOMPARE(erreur, QStringLiteral("Dossier introuvable"));
        QVERIFY(listerFichiers(m_dossier.filePath(QStringLiteral("b.jpg")), QStringLiteral("*.*"), &erreur).isEmpty());
        QCOMPARE(erreur, QStringLiteral("Ce n'est pas un dossier"));
    }

    void joindre_data()
    {
        QTest::addColumn<QString>("dossier");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("racine") << "/"
                                << "/a.jpg";
        QTest::newRow("dossier") << "/home/moi/Images"
                                 << "/home/moi/Images/a.jpg";
        QTest::newRow("barre finale") << "/home/moi/Images/"
                                      << "/home/moi/Images/a.jpg";
    }

    void joindre()
    {
        QFETCH(QString, dossier);
        QFETCH(QString, attendu);
        QCOMPARE(joindreChemin(dossier, QStringLiteral("a.jpg")), attendu);
    }

    void fichiersEtDossiersSeulement_data()
    {
        QTest::addColumn<bool>("sansTypes");
        QTest::newRow("types d'entrée") << false;
        QTest::newRow("sans types d'entrée") << true;
    }

    // Only regular files and folders, links followed: a link to a device named like
    // a picture is neither, and a pipe would block whoever opened it. So too on a file
    // system that gives no entry type (ext2 made without them).
    void fichiersEtDossiersSeulement()
    {
        QFETCH(bool, sansTypes);
        QTemporaryDir d;
        QString racine = d.path();
        const QString image = d.filePath(QStringLiteral("ext2.img"));
        if (sansTypes) {
            racine = d.filePath(QStringLiteral("point"));
            if (geteuid() != 0 || !QDir().mkdir(racine)
                || QProcess::execute(QStringLiteral("mke2fs"), {"-q", "-F", "-O", "^filetype", image, "2M"}) != 0
                || QProcess::execute(QStringLiteral("mount"), {"-o", "loop", image, racine}) != 0)
                QSKIP("no loop-mounted ext2 here (needs root, mke2fs and loop devices)");
            QVERIFY(QDir(racine).rmdir(QStringLiteral("lost+found")));
        }
        const auto demonter = qScopeGuard([&] {
            if (sansTypes)
                QProcess::execute(QStringLiteral("umount"), {racine});
        });
        QVERIFY(QDir(racine).mkdir(QStringLiteral("vrai")));
        QFile f(racine + QStringLiteral("/photo.jpg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), racine + QStringLiteral("/zero.jpg")));
        QVERIFY(QFile::link(racine + QStringLiteral("/vrai"), racine + QStringLiteral("/lien-dossier")));
        QVERIFY(QFile::link(racine + QStringLiteral("/photo.jpg"), racine + QStringLiteral("/lien.jpg")));
        QVERIFY(QFile::link(racine + QStringLiteral("/absent"), racine + QStringLiteral("/casse.jpg")));
        QCOMPARE(mkfifo(QFile::encodeName(racine + QStringLiteral("/tube.jpg")).constData(), 0600), 0);
        const ContenuDossier c = lireDossier(racine);
        QVERIFY(c.erreur.isEmpty());
        QCOMPARE(c.fichiers, QStringList({QStringLiteral("lien.jpg"), QStringLiteral("photo.jpg")}));
        QCOMPARE(c.sousDossiers, QStringList({QStringLiteral("lien-dossier"), QStringLiteral("vrai")}));
        QCOMPARE(listerFichiers(racine, QStringLiteral("*.*")),
                 QStringList({QStringLiteral("lien.jpg"), QStringLiteral("photo.jpg")}));
    }

    void dossierIllisibleDit()
    {
        QTemporaryDir d;
        const ContenuDossier absent = lireDossier(d.filePath(QStringLiteral("absent")));
        QCOMPARE(absent.erreur, QStringLiteral("Dossier introuvable"));
        const ContenuDossier vide = lireDossier(d.path());
        QVERIFY(vide.erreur.isEmpty());
        if (geteuid() == 0)
            QSKIP("root reads every folder");
        QVERIFY(QDir(d.path()).mkdir(QStringLiteral("ferme")));
        QVERIFY(QFile::setPermissions(d.filePath(QStringLiteral("ferme")), QFileDevice::WriteOwner));
        const ContenuDossier ferme = lireDossier(d.filePath(QStringLiteral("ferme")));
        QVERIFY(!ferme.erreur.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestListeDossier)
#include "tst_listedossier.moc"
