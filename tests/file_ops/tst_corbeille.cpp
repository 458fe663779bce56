// The trash rules, each checked by the bytes of every file involved.
#include "fichiersessai.h"
#include "file_ops/corbeille.h"
#include "platform/nomsfichiers.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QtTest>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class TestCorbeille : public QObject, CasFichiers {
    Q_OBJECT

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        preparerCas();
    }

    void cleanup() { effacerCas(); }

    // The trash of a fresh account, whose data folder does not exist yet.
    void corbeilleRestaurable()
    {
        const QString donnees = dir_.filePath(QStringLiteral("neuf/.local/share"));
        QVERIFY(!QFileInfo::exists(donnees));
        qputenv("XDG_DATA_HOME", QFile::encodeName(donnees));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(d_ + QStringLiteral("/sous"));
        const QString original = d_ + QStringLiteral("/photo.jpg");
        const ResultatCorbeille r = envoyerCorbeille(original);
        QDir::setCurrent(cwd);
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        QVERIFY(!QFileInfo::exists(original));
        QVERIFY(noms(d_ + QStringLiteral("/sous")).isEmpty());
        QVERIFY(r.cheminCorbeille.startsWith(donnees + QStringLiteral("/Trash/files/")));

        const QString nom = QFileInfo(r.cheminCorbeille).fileName();
        const QString info = lire(donnees + QStringLiteral("/Trash/info/") + nom + QStringLiteral(".trashinfo"));
        QRegularExpression ligne(QStringLiteral("^Path=(.*)$"), QRegularExpression::MultilineOption);
        const auto m = ligne.match(info);
        QVERIFY(m.hasMatch());
        QCOMPARE(QUrl::fromPercentEncoding(m.captured(1).toUtf8()), original);
        QVERIFY(QFile::rename(r.cheminCorbeille, original));
        QCOMPARE(lire(original), source_);
    }

    void corbeilleDUnFichierAbsent()
    {
        const ResultatCorbeille r = envoyerCorbeille(d_ + QStringLiteral("/rien.jpg"));
        QVERIFY(!r.reussi);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
    }

    // Sent again, a trashed picture would leave its first record naming nothing.
    void corbeilleDUneImageDejaJetee()
    {
        const QString dedans = d_ + QStringLiteral("/donnees/Trash/files/photo.jpg");
        QVERIFY(QDir().mkpath(d_ + QStringLiteral("/donnees/Trash/files")));
        QVERIFY(QFile::rename(d_ + QStringLiteral("/photo.jpg"), dedans));
        const ResultatCorbeille r = envoyerCorbeille(dedans);
        QCOMPARE(r.erreur, QStringLiteral("L'image est déjà dans la Corbeille"));
        QCOMPARE(lire(dedans), source_);
    }

    // The record gives the desktop the picture's exact path, whatever its bytes.
    void corbeilleEncodeLeChemin_data() { lignesNomsDifficiles(); }
    void corbeilleEncodeLeChemin()
    {
        QFETCH(QByteArray, nom);
        const QByteArray racine = QFile::encodeName(d_);
        const QByteArray photo = racine + '/' + nom;
        ecrireOctets(photo, source_);
        const IssueEnfant r = corbeilleDansUnEnfant(cheminDepuisOctets(photo), {{"XDG_DATA_HOME", racine + "/donnees"}},
                                                    racine + "/sous");
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        const QByteArray corbeille = racine + "/donnees/Trash";
        const QList<QByteArray> infos = entrees(corbeille + "/info");
        QCOMPARE(infos.size(), 1);
        QVERIFY(infos[0].endsWith(".trashinfo"));
        QCOMPARE(cheminDuRecord(lireOctets(corbeille + "/info/" + infos[0])), reel(d_, nom));
        QCOMPARE(lireOctets(corbeille + "/files/" + infos[0].chopped(10)), source_);
        QCOMPARE(lireOctets(photo), QByteArray("<absent>"));
    }

    // The desktop's own trash (gvfs) reads each record back to the exact bytes, and the
    // file goes home from it as a file manager moves it. (`gio trash --restore` of GLib
    // 2.74 cannot serve: it puts a name back under its "\xNN" escapes.)
    void corbeilleRestaureeParLeBureau_data() { lignesNomsDifficiles(); }
    void corbeilleRestaureeParLeBureau()
    {
        QFETCH(QByteArray, nom);
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()
            || !QFileInfo::exists(QStringLiteral("/usr/libexec/gvfsd-trash")))
            QSKIP("gvfs, gio or dbus-run-session is not installed");
        const QByteArray photo = QFile::encodeName(d_) + '/' + nom;
        ecrireOctets(photo, source_);
        const QString maison = d_ + QStringLiteral("/maison");
        QVERIFY(QDir().mkpath(maison));
        const QByteArray share = QFile::encodeName(maison) + "/share";
        const IssueEnfant r = corbeilleDansUnEnfant(cheminDepuisOctets(photo),
                                                    {{"HOME", QFile::encodeName(maison)}, {"XDG_DATA_HOME", share}},
                                                    QFile::encodeName(maison));
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        const QList<QByteArray> jetes = entrees(share + "/Trash/files");
        QCOMPARE(jetes.size(), 1);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), maison);
        env.insert(QStringLiteral("XDG_DATA_HOME"), QFile::decodeName(share));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), maison);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.insert(QStringLiteral("GVFS_DISABLE_FUSE"), QStringLiteral("1"));
        QProcess gio;
        gio.setProcessEnvironment(env);
        gio.start(QStringLiteral("dbus-run-session"),
                  {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("gio info -a trash::orig-path \"$0\" && gio move \"$0\" \"$1\""),
                   QStringLiteral("trash:///") + QString::fromLatin1(jetes[0].toPercentEncoding()),
                   QStringLiteral("file://") + QString::fromLatin1(reel(d_, nom).toPercentEncoding("/"))});
        QVERIFY(gio.waitForFinished(60000));
        QVERIFY2(gio.exitCode() == 0, gio.readAllStandardError().constData());
        const QByteArray sortie = gio.readAllStandardOutput();
        const qsizetype debut = sortie.indexOf("trash::orig-path: ") + 18;
        QVERIFY(debut >= 18);
        QCOMPARE(sansEchappements(sortie.mid(debut, sortie.indexOf('\n', debut) - debut)), reel(d_, nom));
        QCOMPARE(lireOctets(photo), source_);
    }

    // Another volume has a trash of its own, whose record finds the picture from the
    // volume's top.
    void corbeilleDUnAutreVolume()
    {
        const QByteArray volume = QFile::encodeName(d_) + "/volume";
        if (!monter(volume, "size=1m"))
            QSKIP("mounting a tmpfs needs root (CAP_SYS_ADMIN)");
        const auto demonter = qScopeGuard([&] { ::umount2(volume.constData(), MNT_DETACH); });
        QVERIFY(QDir().mkpath(QFile::decodeName(volume + "/images")));
        const QByteArray photo = volume + "/images/taux 50%41.jpg";
        const QByteArray petite = source_.left(20000);
        ecrireOctets(photo, petite);
        const IssueEnfant r = corbeilleDansUnEnfant(QFile::decodeName(photo),
                                                    {{"XDG_DATA_HOME", QFile::encodeName(d_) + "/donnees"}}, volume);
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        const QByteArray corbeille = volume + "/.Trash-" + QByteArray::number(::geteuid());
        const QByteArray chemin = cheminDuRecord(lireOctets(corbeille + "/info/taux 50%41.jpg.trashinfo"));
        QCOMPARE(chemin.startsWith('/') ? chemin : reel(d_, "volume/" + chemin),
                 reel(d_, "volume/images/taux 50%41.jpg"));
        QCOMPARE(lireOctets(corbeille + "/files/taux 50%41.jpg"), petite);
    }

    // A full volume: no record can be written, so the picture stays where it was.
    void corbeilleSurUnVolumePlein_data()
    {
        QTest::addColumn<bool>("inodes");
        QTest::newRow("place") << false;
        QTest::newRow("inodes") << true;
    }
    void corbeilleSurUnVolumePlein()
    {
        QFETCH(bool, inodes);
        const QByteArray volume = QFile::encodeName(d_) + "/volume";
        if (!monter(volume, inodes ? "size=1m,nr_inodes=64" : "size=128k"))
            QSKIP("mounting a tmpfs needs root (CAP_SYS_ADMIN)");
        const auto demonter = qScopeGuard([&] { ::umount2(volume.constData(), MNT_DETACH); });
        for (const char* dossier : {"/images", "/share/Trash/info", "/share/Trash/files", "/plein"})
            QVERIFY(QDir().mkpath(QFile::decodeName(volume + dossier)));
        const QByteArray photo = volume + "/images/photo.jpg";
        const QByteArray petite = source_.left(20000);
        ecrireOctets(photo, petite);
        remplir(volume + "/plein", inodes);
        const IssueEnfant r = corbeilleDansUnEnfant(QFile::decodeName(photo),
                                                    {{"HOME", volume}, {"XDG_DATA_HOME", volume + "/share"}}, volume);
        QVERIFY(r.rendu);
        QVERIFY(!r.reussi);
        QCOMPARE(r.erreur, QStringLiteral("Corbeille inaccessible : il n'y a plus de place sur le disque"));
        QCOMPARE(lireOctets(photo), petite);
        // No record, empty or not, and no file anywhere on the volume but the filling.
        QStringList autres;
        QDirIterator it(QFile::decodeName(volume), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            if (const QString f = it.next(); !f.contains(QLatin1String("/plein/")) && f != QFile::decodeName(photo))
                autres << f;
        QCOMPARE(autres, QStringList());
    }

    // Records that cannot be written: the trash says so at once, without retrying.
    void corbeilleAuxInfosVerrouillees()
    {
        const QByteArray racine = QFile::encodeName(d_);
        const QByteArray corbeille = racine + "/donnees/Trash";
        QVERIFY(QDir().mkpath(QFile::decodeName(corbeille + "/info")));
        QVERIFY(QDir().mkpath(QFile::decodeName(corbeille + "/files")));
        const QByteArray photo = racine + "/photo.jpg";
        // Root writes anywhere: the case is played by user nobody.
        const uid_t qui = ::geteuid() == 0 ? Personne : 0;
        if (qui != 0) {
            QCOMPARE(::chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
            for (const QByteArray& c : {racine, racine + "/sous", racine + "/donnees", corbeille, corbeille + "/info",
                                        corbeille + "/files", photo})
                QCOMPARE(::chown(c.constData(), qui, qui), 0);
        }
        QCOMPARE(::chmod((corbeille + "/info").constData(), 0500), 0);
        const IssueEnfant r = corbeilleDansUnEnfant(QFile::decodeName(photo), {{"XDG_DATA_HOME", racine + "/donnees"}},
                                                    racine + "/sous", qui);
        if (r.sansUtilisateur)
            QSKIP("the test's folder cannot be reached as user nobody");
        QVERIFY(r.rendu);
        QVERIFY(!r.reussi);
        QCOMPARE(r.erreur, QStringLiteral("Corbeille inaccessible : accès refusé"));
        QCOMPARE(lire(QFile::decodeName(photo)), source_);
        QCOMPARE(entrees(corbeille + "/files"), QList<QByteArray>());
        QCOMPARE(entrees(corbeille + "/info"), QList<QByteArray>());
    }

    // A data folder that cannot serve: the trash fails, or goes to the home folder,
    // but never to the working folder.
    void corbeilleSansDossierDeDonnees_data()
    {
        QTest::addColumn<QByteArray>("donnees");
        QTest::addColumn<QString>("erreur");
        QTest::newRow("sous un fichier") << QByteArray("@/photo.jpg/share")
                                         << QStringLiteral("Corbeille inaccessible : ce n'est pas un dossier");
        QTest::newRow("relatif") << QByteArray("donnees") << QString();
    }
    void corbeilleSansDossierDeDonnees()
    {
        QFETCH(QByteArray, donnees);
        QFETCH(QString, erreur);
        const QByteArray racine = QFile::encodeName(d_);
        const QString photo = d_ + QStringLiteral("/photo.jpg");
        const IssueEnfant r = corbeilleDansUnEnfant(
            photo, {{"HOME", racine + "/maison"}, {"XDG_DATA_HOME", donnees.replace('@', racine)}}, racine + "/sous");
        QVERIFY(r.rendu);
        QCOMPARE(r.erreur, erreur);
        QCOMPARE(r.reussi, erreur.isEmpty());
        const auto tout = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(d_ + QStringLiteral("/sous")).entryList(tout), QStringList());
        QCOMPARE(lire(r.reussi ? d_ + QStringLiteral("/maison/.local/share/Trash/files/photo.jpg") : photo), source_);
    }

    void cheminsDeCorbeille_data()
    {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<bool>("corbeille");
        QTest::newRow("maison") << "/home/a/.local/share/Trash/files/x.jpg" << true;
        QTest::newRow("volume") << "/media/c/.Trash-1000/files/x.jpg" << true;
        QTest::newRow("volume partagé") << "/media/c/.Trash/1000/files/x.jpg" << true;
        QTest::newRow("relatif") << "files/x.jpg" << false;
        QTest::newRow("dossier courant") << "/home/a/Images/files/x.jpg" << false;
        QTest::newRow("sous-dossier") << "/home/a/.local/share/Trash/files/d/x.jpg" << false;
    }
    void cheminsDeCorbeille()
    {
        QFETCH(QString, chemin);
        QFETCH(bool, corbeille);
        QCOMPARE(dansUneCorbeille(chemin), corbeille);
    }
};

QTEST_GUILESS_MAIN(TestCorbeille)
#include "tst_corbeille.moc"
