// The copy and rename rules, each checked by the bytes of every file involved.
#include "fichiersessai.h"
#include "file_ops/copie.h"
#include "file_ops/renommage.h"
#include "platform/nomsfichiers.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestOperationsFichiers : public QObject, CasFichiers {
    Q_OBJECT
    const QByteArray ancienne_ = octets(1000, 'z');

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        preparerCas();
    }

    void cleanup() { effacerCas(); }

    void copieSurElleMeme_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("preparer");
        QTest::newRow("même chemin") << "photo.jpg"
                                     << "";
        QTest::newRow("./") << "./photo.jpg"
                            << "";
        QTest::newRow("..") << "sous/../photo.jpg"
                            << "";
        QTest::newRow("lien symbolique") << "lien.jpg"
                                         << "symlink";
        QTest::newRow("lien physique") << "sous/dur.jpg"
                                       << "link";
    }
    void copieSurElleMeme()
    {
        QFETCH(QString, destination);
        QFETCH(QString, preparer);
        const QString src = d_ + QStringLiteral("/photo.jpg");
        const QString dest = d_ + QLatin1Char('/') + destination;
        if (preparer == QLatin1String("symlink"))
            QVERIFY(QFile::link(src, dest));
        if (preparer == QLatin1String("link"))
            QCOMPARE(::link(QFile::encodeName(src).constData(), QFile::encodeName(dest).constData()), 0);
        const ResultatCopie r = copierFichier(src, dest);
        QCOMPARE(r.issue, ResultatCopie::MemeFichier);
        QCOMPARE(lire(src), source_);
        QCOMPARE(lire(dest), source_);
        QVERIFY(!noms(d_).join(' ').contains(QLatin1String("ormelle")));
    }

    void copieRemplaceLaDestination()
    {
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        ecrire(dest, ancienne_);
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest);
        QCOMPARE(r.issue, ResultatCopie::Copie);
        QCOMPARE(lire(dest), source_);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{QStringLiteral("photo.jpg")});
    }

    void copieDansUnNomNonUtf8()
    {
        const QString dest = cheminDepuisOctets(QFile::encodeName(d_) + "/sous/\xe9t\xe9.jpg");
        QCOMPARE(copierFichier(d_ + QStringLiteral("/photo.jpg"), dest).issue, ResultatCopie::Copie);
        QFile f;
        QVERIFY(ouvrirEnLecture(f, dest));
        const QByteArray copie = f.readAll();
        // QDir cannot name it to remove it later.
        ::unlink(octetsDepuisChemin(dest).constData());
        QCOMPARE(copie, source_);
    }

    // A file size limit stops the copy half-way, as a full disk would.
    void copieInterrompueLaisseLAncienneDestination()
    {
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        ecrire(dest, ancienne_);
        struct rlimit avant;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &avant), 0);
        const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limite = avant;
        limite.rlim_cur = 65536;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest);
        ::setrlimit(RLIMIT_FSIZE, &avant);
        std::signal(SIGXFSZ, ancienSignal);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Le fichier est trop volumineux"));
        QCOMPARE(lire(dest), ancienne_);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{QStringLiteral("photo.jpg")});
    }

    void copieVersUnNomDe250Octets_data()
    {
        QTest::addColumn<bool>("anonyme");
        QTest::newRow("fichier sans nom") << true;
        QTest::newRow("fichier caché nommé") << false;
    }
    void copieVersUnNomDe250Octets()
    {
        QFETCH(bool, anonyme);
        // Two bytes a letter: the temporary's shortened name must not cut one in half.
        const QString nom = QString(123, QChar(0xe9)) + QStringLiteral(".jpg");
        QCOMPARE(nom.toUtf8().size(), 250);
        OptionsCopie options;
        options.fichierAnonyme = anonyme;
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), d_ + "/sous/" + nom, options);
        QCOMPARE(r.erreur, QString());
        QCOMPARE(r.issue, ResultatCopie::Copie);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{nom});
        QCOMPARE(lire(d_ + "/sous/" + nom), source_);
    }

    // A file that took the name while the copy ran was not the one the user agreed to replace.
    void copieSansRemplacerGardeLeNouveauVenu_data()
    {
        QTest::addColumn<bool>("anonyme");
        QTest::newRow("fichier sans nom") << true;
        QTest::newRow("fichier caché nommé") << false;
    }
    void copieSansRemplacerGardeLeNouveauVenu()
    {
        QFETCH(bool, anonyme);
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        ecrire(dest, ancienne_);
        OptionsCopie options;
        options.remplacer = false;
        options.fichierAnonyme = anonyme;
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest, options);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Le fichier existe déjà"));
        QCOMPARE(lire(dest), ancienne_);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{QStringLiteral("photo.jpg")});
    }

    // A copy killed half-way, as by a crash or a power cut of the program.
    void copieTueeNeLaissePasDeTrace_data()
    {
        QTest::addColumn<bool>("existante");
        QTest::newRow("nouvelle destination") << false;
        QTest::newRow("destination existante") << true;
    }
    void copieTueeNeLaissePasDeTrace()
    {
        QFETCH(bool, existante);
        const QString src = d_ + QStringLiteral("/grande.jpg");
        ecrire(src, octets(4 << 20, 'g'));
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        if (existante)
            ecrire(dest, ancienne_);
        const QStringList avant = noms(d_ + QStringLiteral("/sous"));
        int tube[2];
        QCOMPARE(::pipe(tube), 0);
        const pid_t enfant = ::fork();
        QVERIFY(enfant >= 0);
        if (enfant == 0) {
            ::close(tube[0]);
            OptionsCopie options;
            options.remplacer = existante;
            options.progression = [&](qint64, qint64) {
                if (::write(tube[1], "1", 1) != 1)
                    ::_exit(2);
                for (;;)
                    ::pause();
                return true;
            };
            copierFichier(src, dest, options);
            ::_exit(1);
        }
        ::close(tube[1]);
        char lu = 0;
        const ssize_t n = ::read(tube[0], &lu, 1);
        ::kill(enfant, SIGKILL);
        ::waitpid(enfant, nullptr, 0);
        ::close(tube[0]);
        QCOMPARE(n, ssize_t(1)); // the first chunk was written
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), avant);
        QCOMPARE(lire(dest), existante ? ancienne_ : QByteArray("<absent>"));
    }

    void copieAnnuleeLaisseLeDossierCommeAvant_data()
    {
        QTest::addColumn<bool>("anonyme");
        QTest::addColumn<bool>("existante");
        QTest::newRow("nouvelle") << true << false;
        QTest::newRow("existante") << true << true;
        QTest::newRow("nommée, existante") << false << true;
    }
    void copieAnnuleeLaisseLeDossierCommeAvant()
    {
        QFETCH(bool, anonyme);
        QFETCH(bool, existante);
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        if (existante)
            ecrire(dest, ancienne_);
        const QStringList avant = noms(d_ + QStringLiteral("/sous"));
        OptionsCopie options;
        options.fichierAnonyme = anonyme;
        int appels = 0;
        qint64 dernier = 0, annonce = 0;
        options.progression = [&](qint64 faits, qint64 total) {
            dernier = faits;
            annonce = total;
            return ++appels < 2; // stopped at the second chunk
        };
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest, options);
        QCOMPARE(r.issue, ResultatCopie::Annulee);
        QCOMPARE(appels, 2);
        QCOMPARE(annonce, qint64(300000));
        QVERIFY(dernier > 0 && dernier < annonce);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), avant);
        QCOMPARE(lire(dest), existante ? ancienne_ : QByteArray("<absent>"));
    }

    void copieBalaieLesRestesDeCopiesTuees()
    {
        const QString sous = d_ + QStringLiteral("/sous/");
        const auto creer = [&](const char* nom, int jours) {
            QFile f(sous + QLatin1String(nom));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write(ancienne_) && f.flush());
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addDays(-jours), QFileDevice::FileModificationTime));
        };
        creer(".vieille.jpg.ormelle-Ab12Cd", 2);
        creer(".ormelle-Zz9Yx8", 2);
        creer(".recente.jpg.ormelle-Xy34Zw", 0);
        creer(".vieux-reglages", 2);
        creer("vieille.jpg.ormelle-Qr56St", 2);
        QCOMPARE(copierFichier(d_ + QStringLiteral("/photo.jpg"), sous + QStringLiteral("photo.jpg")).issue,
                 ResultatCopie::Copie);
        QCOMPARE(noms(sous), (QStringList{".recente.jpg.ormelle-Xy34Zw", ".vieux-reglages", "photo.jpg",
                                          "vieille.jpg.ormelle-Qr56St"}));
    }

    void copieDansUnDossierEnLectureSeule()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not hold for root");
        const QString sous = d_ + QStringLiteral("/sous");
        const QString dest = sous + QStringLiteral("/photo.jpg");
        ecrire(dest, ancienne_);
        QVERIFY(QFile::setPermissions(sous, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest);
        QFile::setPermissions(sous, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Accès refusé"));
        QCOMPARE(lire(dest), ancienne_);
        QCOMPARE(noms(sous), QStringList{QStringLiteral("photo.jpg")});
    }

    void copieDUneSourceAbsente()
    {
        const QString dest = d_ + QStringLiteral("/sous/x.jpg");
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/rien.jpg"), dest);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Fichier ou dossier introuvable"));
        QVERIFY(noms(d_ + QStringLiteral("/sous")).isEmpty());
    }

    void renommerSurUnNomExistant()
    {
        const QString autre = d_ + QStringLiteral("/autre.jpg");
        ecrire(autre, ancienne_);
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), QStringLiteral("autre.jpg"));
        QCOMPARE(r.issue, ResultatRenommage::Existe);
        QCOMPARE(lire(autre), ancienne_);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
    }

    void nomsRefuses_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("barre") << "sous/photo.jpg";
        QTest::newRow("remonte") << "../photo.jpg";
        QTest::newRow("point") << ".";
        QTest::newRow("point point") << "..";
        QTest::newRow("vide") << "";
    }
    void nomsRefuses()
    {
        QFETCH(QString, nom);
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), nom);
        QCOMPARE(r.issue, ResultatRenommage::NomRefuse);
        QCOMPARE(noms(d_), QStringList{QStringLiteral("photo.jpg")});
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
        QVERIFY(noms(d_ + QStringLiteral("/sous")).isEmpty());
        QCOMPARE(noms(dir_.path()), QStringList());
    }

    void renommerLaCasseSeule()
    {
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), QStringLiteral("PHOTO.JPG"));
        QCOMPARE(r.issue, ResultatRenommage::Renomme);
        QCOMPARE(r.chemin, d_ + QStringLiteral("/PHOTO.JPG"));
        QCOMPARE(noms(d_), QStringList{QStringLiteral("PHOTO.JPG")});
        QCOMPARE(lire(r.chemin), source_);
    }

    void renommerSansExtension()
    {
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), QStringLiteral("vacances"));
        QCOMPARE(r.issue, ResultatRenommage::Renomme);
        QCOMPARE(noms(d_), QStringList{QStringLiteral("vacances")});
        QCOMPARE(lire(r.chemin), source_);
    }

    void renommerUnFichierDisparu()
    {
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/rien.jpg"), QStringLiteral("b.jpg"));
        QCOMPARE(r.issue, ResultatRenommage::Echec);
        QCOMPARE(noms(d_), QStringList{QStringLiteral("photo.jpg")});
    }
};

QTEST_GUILESS_MAIN(TestOperationsFichiers)
#include "tst_operationsfichiers.moc"
