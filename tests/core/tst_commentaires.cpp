// Comment files: which file a folder writes to, which line a picture reads,
// and that an append never harms the lines already there.
#include "core/commentaires.h"
#include "core/indexcommentaires.h"
#include "commun/connexionsrompues.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace commentaires;

class TestCommentaires : public QObject {
    Q_OBJECT
private:
    QTemporaryDir d_;
    QString fichier(const QString& nom) const { return d_.filePath(nom); }
    static QByteArray contenu(const QString& chemin)
    {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<illisible>");
    }
    static void ecrire(const QString& chemin, const QByteArray& octets)
    {
        QFile f(chemin);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(octets);
    }
    // Every lookup here goes both ways: through the file, and through an index kept
    // across the cases, which must follow each file as it is appended to.
    IndexCommentaires index_;
    QString chercher(const QString& f, const QString& chemin)
    {
        const QString texte = commentaires::chercher(f, chemin), indexe = index_.chercher(f, chemin);
        if (indexe != texte)
            QTest::qFail(qPrintable(QStringLiteral("index: %1, file: %2").arg(indexe.left(60), texte.left(60))),
                         __FILE__, __LINE__);
        return texte;
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void fichierParNomDeDossier_data();
    void fichierParNomDeDossier();
    void dernierEnregistrementGagne();
    void cleEntiere();
    void dossiersHomonymes();
    void sautsDeLigneDevenusEspaces();
    void crlfEtLatin1();
    void cheminsQuiNeForgentRien_data();
    void cheminsQuiNeForgentRien();
    void commentaireReporte();
    void derniereLigneCoupee();
    void commentaireDemesureCoupe_data();
    void commentaireDemesureCoupe();
    void accesRefuse();
    void disquePlein();
    void indexSuitLeFichier_data();
    void indexSuitLeFichier();
};

void TestCommentaires::fichierParNomDeDossier_data()
{
    QTest::addColumn<QString>("dossier");
    QTest::addColumn<QString>("attendu");
    QTest::newRow("ordinaire") << "/media/photos/Vacances"
                               << "/d/Vacances.txt";
    QTest::newRow("barre finale") << "/media/photos/Vacances/"
                                  << "/d/Vacances.txt";
    QTest::newRow("racine") << "/"
                            << "/d/.txt";
}

void TestCommentaires::fichierParNomDeDossier()
{
    QFETCH(QString, dossier);
    QFETCH(QString, attendu);
    QCOMPARE(fichierDe("/d", dossier), attendu);
}

void TestCommentaires::dernierEnregistrementGagne()
{
    const QString f = fichier("Vacances.txt");
    const QString plage = "/photos/Vacances/plage.jpg";
    QVERIFY(ajouter(f, plage, "Bonjour"));
    QCOMPARE(contenu(f), QByteArray("/photos/Vacances/plage.jpg/Bonjour\n"));
    QCOMPARE(chercher(f, plage), QString("Bonjour"));
    QVERIFY(ajouter(f, plage, "Au revoir"));
    QCOMPARE(contenu(f), QByteArray("/photos/Vacances/plage.jpg/Bonjour\n/photos/Vacances/plage.jpg/Au revoir\n"));
    QCOMPARE(chercher(f, plage), QString("Au revoir"));
    // A comment holding "/" keeps it.
    QVERIFY(ajouter(f, "/photos/Vacances/A.JPG", "1/2"));
    QCOMPARE(chercher(f, "/photos/Vacances/A.JPG"), QString("1/2"));
    // Names are case-sensitive here: another file, no comment.
    QCOMPARE(chercher(f, "/photos/Vacances/PLAGE.JPG"), QString());
    QCOMPARE(chercher(fichier("absent.txt"), plage), QString());
}

void TestCommentaires::cleEntiere()
{
    const QString f = fichier("Cle.txt");
    QVERIFY(ajouter(f, "/p/Cle/PLAGEA.JPG", "la plage A"));
    QVERIFY(ajouter(f, "/p/Cle/IMG_0001.JPG", "un"));
    QVERIFY(ajouter(f, "/p/Cle/IMG_0002.JPG", "deux"));
    QVERIFY(ajouter(f, "/p/Cle/B.JPG/x", "dans le nom")); // a line about another key
    QCOMPARE(chercher(f, "/p/Cle/A.JPG"), QString());
    QCOMPARE(chercher(f, "/p/Cle/IMG_0001.JPG"), QString("un"));
    QCOMPARE(chercher(f, "/p/Cle/IMG_0002.JPG"), QString("deux"));
    QCOMPARE(chercher(f, "/p/Cle/IMG_00"), QString());
    QCOMPARE(chercher(f, "/p/Cle/B.JPG"), QString("x/dans le nom"));
}

void TestCommentaires::dossiersHomonymes()
{
    const QString un = fichierDe(d_.path(), "/home/a/Noel"), deux = fichierDe(d_.path(), "/media/cle/Noel");
    QCOMPARE(un, deux);
    QVERIFY(ajouter(un, "/home/a/Noel/SAPIN.JPG", "chez nous"));
    QVERIFY(ajouter(deux, "/media/cle/Noel/SAPIN.JPG", "chez eux"));
    QCOMPARE(chercher(un, "/home/a/Noel/SAPIN.JPG"), QString("chez nous"));
    QCOMPARE(chercher(deux, "/media/cle/Noel/SAPIN.JPG"), QString("chez eux"));
}

void TestCommentaires::sautsDeLigneDevenusEspaces()
{
    const QString f = fichier("Sauts.txt");
    QVERIFY(ajouter(f, "/s/Sauts/X.JPG", "un\ndeux\r\ntrois\rquatre"));
    QCOMPARE(contenu(f), QByteArray("/s/Sauts/X.JPG/un deux trois quatre\n"));
    QCOMPARE(chercher(f, "/s/Sauts/X.JPG"), QString("un deux trois quatre"));
    // 256 characters are saved whole.
    const QString long256(256, QLatin1Char('z'));
    QVERIFY(ajouter(f, "/s/Sauts/L.JPG", long256));
    QCOMPARE(chercher(f, "/s/Sauts/L.JPG"), long256);
}

void TestCommentaires::crlfEtLatin1()
{
    const QString f = fichier("Ete.txt");
    ecrire(f, "/p/Et\xc3\xa9/A.JPG/caf\xc3\xa9\r\n" // UTF-8, CRLF
              "/p/Ete/B.JPG/d\xe9j\xe0 vu\r\n"      // Latin-1
              "/p/Et\xe9/C.JPG/\xe9t\xe9\r\n");     // Latin-1 path too
    QCOMPARE(chercher(f, QString::fromUtf8("/p/Eté/A.JPG")), QString::fromUtf8("café"));
    QCOMPARE(chercher(f, "/p/Ete/B.JPG"), QString::fromUtf8("déjà vu"));
    QCOMPARE(chercher(f, QString::fromUtf8("/p/Eté/C.JPG")), QString::fromUtf8("été"));
    // An append after CRLF lines is read as well.
    QVERIFY(ajouter(f, "/p/Ete/B.JPG", "revu"));
    QCOMPARE(chercher(f, "/p/Ete/B.JPG"), QString("revu"));
}

void TestCommentaires::cheminsQuiNeForgentRien_data()
{
    QTest::addColumn<QString>("un");
    QTest::addColumn<QString>("autre");
    const auto octet = [](const char* avant, char16_t o, const char* apres) {
        return QString::fromUtf8(avant) + QChar(0xDC00 + o) + QString::fromUtf8(apres);
    };
    QTest::newRow("saut de ligne") << "/p/Noel/B.JPG"
                                   << "/p/x\n/p/Noel/B.JPG";
    QTest::newRow("CR LF") << "/p/Noel/B.JPG"
                           << "/p/x\r\n/p/Noel/B.JPG";
    QTest::newRow("octets non UTF-8") << octet("/p/Noel/", 0xe0, ".jpg") << octet("/p/Noel/", 0xe9, ".jpg");
    QTest::newRow("barre inverse") << "/p/Noel/x\\ny.jpg"
                                   << "/p/Noel/x\ny.jpg";
    QTest::newRow("dossier englobant") << "/media/Noel/SAPIN.JPG"
                                       << "/home/a/media/Noel/SAPIN.JPG";
}

// A path, whatever its bytes, makes a record for itself alone, and reads it back.
void TestCommentaires::cheminsQuiNeForgentRien()
{
    QFETCH(QString, un);
    QFETCH(QString, autre);
    const QString f = fichier(QString::fromLatin1(QTest::currentDataTag()) + ".txt");
    QVERIFY(ajouter(f, autre, "autre"));
    QCOMPARE(chercher(f, un), QString());
    QVERIFY(ajouter(f, un, "un"));
    QCOMPARE(chercher(f, un), QString("un"));
    QCOMPARE(chercher(f, autre), QString("autre"));
    // Paths a line carries as they are keep the form every comment file already has.
    const QByteArray ordinaire = QString::fromUtf8("/p/Noël/É.jpg").toUtf8();
    QVERIFY(ajouter(f, QString::fromUtf8(ordinaire), "tel quel"));
    QVERIFY(contenu(f).endsWith("\n" + ordinaire + "/tel quel\n"));
}

void TestCommentaires::commentaireReporte()
{
    const QString d = d_.filePath("reporte"), noel = fichierDe(d, "/a/Noel"), ete = fichierDe(d, "/b/Ete");
    QVERIFY(reporter(d, "/a/Noel/X.JPG", "/b/Ete/Y.JPG"));
    QVERIFY(!QFile::exists(ete)); // no comment, nothing written
    QVERIFY(ajouter(noel, "/a/Noel/X.JPG", "neige"));
    QVERIFY(reporter(d, "/a/Noel/X.JPG", "/b/Ete/Y.JPG"));
    QCOMPARE(chercher(ete, "/b/Ete/Y.JPG"), QString("neige"));
    QCOMPARE(chercher(noel, "/a/Noel/X.JPG"), QString("neige"));
    // A picture without a comment does not take over the one left at its new path.
    QVERIFY(reporter(d, "/a/Noel/Z.JPG", "/b/Ete/Y.JPG"));
    QCOMPARE(chercher(ete, "/b/Ete/Y.JPG"), QString());
}

void TestCommentaires::derniereLigneCoupee()
{
    const QString f = fichier("Coupe.txt");
    ecrire(f, "/c/Coupe/A.JPG/entier\n/c/Coupe/B.JPG/coup");
    QVERIFY(ajouter(f, "/c/Coupe/C.JPG", "après"));
    QCOMPARE(chercher(f, "/c/Coupe/C.JPG"), QString::fromUtf8("après"));
    QCOMPARE(chercher(f, "/c/Coupe/B.JPG"), QString("coup"));
    QCOMPARE(chercher(f, "/c/Coupe/A.JPG"), QString("entier"));
}

void TestCommentaires::commentaireDemesureCoupe_data()
{
    QTest::addColumn<QString>("caractere");
    QTest::newRow("deux octets") << QStringLiteral("é");
    // Past what is kept of a line, cut inside a character: still read as UTF-8.
    QTest::newRow("trois octets") << QStringLiteral("€");
}

void TestCommentaires::commentaireDemesureCoupe()
{
    QFETCH(QString, caractere);
    const QString f = fichier(QStringLiteral("long.txt"));
    QVERIFY(ajouter(f, QStringLiteral("/p/a.jpg"), caractere.repeated(LongueurMax + 1000)));
    QCOMPARE(chercher(f, QStringLiteral("/p/a.jpg")), caractere.repeated(LongueurMax) + QChar(0x2026));
}

void TestCommentaires::accesRefuse()
{
    // A comment file that is a folder: nothing to write to.
    const QString dossier = fichier("Dossier.txt");
    QVERIFY(QDir().mkpath(dossier));
    QString erreur;
    QVERIFY(!ajouter(dossier, "/x/Dossier/A.JPG", "rien", &erreur));
    QVERIFY(!erreur.isEmpty());

    const QString f = fichier("Lecture.txt");
    ecrire(f, "/x/Lecture/A.JPG/avant\n");
    QFile(f).setPermissions(QFile::ReadOwner);
    if (::geteuid() == 0)
        QSKIP("root writes to read-only files");
    QVERIFY(!ajouter(f, "/x/Lecture/A.JPG", "après"));
    QCOMPARE(contenu(f), QByteArray("/x/Lecture/A.JPG/avant\n"));
}

void TestCommentaires::disquePlein()
{
    const QString f = fichier("Plein.txt");
    const QByteArray avant = "/x/Plein/A.JPG/avant\n";
    ecrire(f, avant);
    // Room left for part of the record only: the part must not stay.
    struct rlimit ancienne {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &ancienne), 0);
    const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limite = ancienne;
    limite.rlim_cur = rlim_t(avant.size() + 8);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
    QString erreur;
    const bool ecrit = ajouter(f, "/x/Plein/A.JPG", QString(200, QLatin1Char('y')), &erreur);
    ::setrlimit(RLIMIT_FSIZE, &ancienne);
    std::signal(SIGXFSZ, ancienSignal);
    QVERIFY(!ecrit);
    QVERIFY(!erreur.isEmpty());
    QCOMPARE(contenu(f), avant);
    QCOMPARE(chercher(f, "/x/Plein/A.JPG"), QString("avant"));
}

void TestCommentaires::indexSuitLeFichier_data()
{
    QTest::addColumn<qsizetype>("budget");
    QTest::newRow("tenu") << IndexCommentaires::BudgetParDefaut;
    QTest::newRow("trop grand, lu ligne à ligne") << qsizetype(16);
}

void TestCommentaires::indexSuitLeFichier()
{
    QFETCH(qsizetype, budget);
    IndexCommentaires index(budget);
    const QString f = fichier(QStringLiteral("Suivi%1.txt").arg(budget));
    QVERIFY(ajouter(f, "/s/Suivi/A.JPG", "un"));
    QCOMPARE(index.chercher(f, "/s/Suivi/A.JPG"), QString("un"));
    QCOMPARE(index.chercher(f, "/s/Suivi/B.JPG"), QString());
    QCOMPARE(index.lectures(), 1);
    QVERIFY(ajouter(f, "/s/Suivi/B.JPG", "deux"));
    QCOMPARE(index.chercher(f, "/s/Suivi/B.JPG"), QString("deux"));
    // An editor saves a new file of the same size in its place.
    const QString neuf = f + ".neuf";
    ecrire(neuf, contenu(f).replace("deux", "DEUX"));
    QCOMPARE(std::rename(qPrintable(neuf), qPrintable(f)), 0);
    QCOMPARE(index.chercher(f, "/s/Suivi/B.JPG"), QString("DEUX"));
    QCOMPARE(index.chercher(f, "/s/Suivi/A.JPG"), QString("un"));
    QCOMPARE(index.lectures(), 3);
}

QTEST_GUILESS_MAIN(TestCommentaires)
#include "tst_commentaires.moc"
