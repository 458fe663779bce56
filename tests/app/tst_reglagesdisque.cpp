// What the settings store puts on disk, seen from another process: the same
// process could be served from QSettings' in-process cache and miss a lost sync.
#include "commun/connexionsrompues.h"
#include "commun/sondememoire.h"
#include "core/reglages.h"
#include "platform/erreurs.h"

#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const VariableLecteur = "ORMELLE_LECTEUR_REGLAGES";

// Reader mode of this same program: prints the stored text, or "<absent>".
int lireDansCeProcessus(const QStringList& args)
{
    Reglages r(args.value(1));
    const auto v = r.lire(args.value(2), args.value(3));
    std::fputs(v ? v->toUtf8().constData() : "<absent>", stdout);
    return 0;
}
} // namespace

class TestReglagesDisque : public QObject {
    Q_OBJECT

    QTemporaryDir dossier_;
    QString chemin() const { return dossier_.filePath(QStringLiteral("Ormelle/Ormelle.ini")); }

    // What a second run of the program would read right now.
    QString luParUnAutreProcessus(const QString& section, const QString& cle) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(VariableLecteur), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {chemin(), section, cle});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return QStringLiteral("<le lecteur a échoué>");
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        QFile::remove(chemin());
    }

    void valeurEnregistreeSurLeDisque()
    {
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, QStringLiteral("7"));
        QCOMPARE(luParUnAutreProcessus(cles::SectionPause, cles::ClePause), QStringLiteral("7"));
        QCOMPARE(r.ecrituresFichier(), 1);
        // Qt's own reader, as other tools and earlier runs read the file.
        QCOMPARE(QSettings(chemin(), QSettings::IniFormat).value(cles::SectionPause + "/" + cles::ClePause),
                 QStringLiteral("7"));

        r.SaveSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, QString());
        QCOMPARE(luParUnAutreProcessus(cles::SectionAvertissement, cles::CleAffichage), QString());

        r.DeleteSetting(cles::Application);
        QCOMPARE(luParUnAutreProcessus(cles::SectionPause, cles::ClePause), QStringLiteral("<absent>"));
    }

    void unLotEcritUneFoisASaFin()
    {
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, QStringLiteral("3"));
        const int avant = r.ecrituresFichier();
        {
            LotReglages lot(r);
            ecrireEntier(r, Reglage::DureePause, 9);
            {
                LotReglages interieur(r); // an action calling another one still writes once
                ecrireOui(r, Reglage::EffetTransition, true);
            }
            ecrireEntier(r, Reglage::DureeTransition, 40);
            // The batch reads its own writes before they reach the disk.
            QCOMPARE(lireEntier(r, Reglage::DureePause), 9);
            QCOMPARE(r.ecrituresFichier(), avant);
            QCOMPARE(luParUnAutreProcessus(cles::SectionPause, cles::ClePause), QStringLiteral("3"));
        }
        QCOMPARE(r.ecrituresFichier(), avant + 1);
        QCOMPARE(luParUnAutreProcessus(cles::SectionPause, cles::ClePause), QStringLiteral("9"));
        QCOMPARE(luParUnAutreProcessus(cles::SectionTransition, cles::CleEffet), QStringLiteral("Oui"));
        QCOMPARE(luParUnAutreProcessus(cles::SectionTransition, cles::CleDureeTransition), QStringLiteral("40"));
    }

    void effacementDansUnLot()
    {
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, QStringLiteral("3"));
        {
            LotReglages lot(r);
            r.DeleteSetting(cles::Application);
            QVERIFY(!r.lire(cles::SectionPause, cles::ClePause));
            ecrireOui(r, Reglage::InfoBulles, false);
        }
        QCOMPARE(luParUnAutreProcessus(cles::SectionPause, cles::ClePause), QStringLiteral("<absent>"));
        QCOMPARE(luParUnAutreProcessus(cles::SectionInfoBulles, cles::CleValeur), QStringLiteral("Non"));
    }

    void ecritureImpossibleSignaleeUneFois_data()
    {
        QTest::addColumn<bool>("lectureSeule");
        QTest::addColumn<int>("code");
        QTest::newRow("dossier en lecture seule") << true << EACCES;
        QTest::newRow("dossier qui est un fichier") << false << ENOTDIR;
    }
    void ecritureImpossibleSignaleeUneFois()
    {
        QFETCH(bool, lectureSeule);
        QFETCH(int, code);
        const QString dossier = dossier_.filePath(lectureSeule ? "lecture-seule" : "fichier");
        if (lectureSeule) {
            if (::geteuid() == 0)
                QSKIP("root writes in read-only folders");
            QVERIFY(QDir().mkpath(dossier));
            Reglages(dossier + "/Ormelle.ini").SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, "3");
            QVERIFY(::chmod(QFile::encodeName(dossier).constData(), 0555) == 0);
        } else {
            QFile f(dossier);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Reglages r(dossier + "/Ormelle.ini");
        QSignalSpy echecs(&r, &Reglages::ecritureImpossible);
        r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, QStringLiteral("7"));
        r.SaveSetting(cles::Application, cles::SectionTransition, cles::CleEffet, QStringLiteral("Oui"));
        ::chmod(QFile::encodeName(dossier).constData(), 0755);
        QCOMPARE(echecs.count(), 1);
        QCOMPARE(echecs.at(0).at(0).toString(), texteErreurSysteme(code));
        // The run goes on with what the user chose.
        QCOMPARE(r.lire(cles::SectionPause, cles::ClePause), QStringLiteral("7"));
        QCOMPARE(r.lire(cles::SectionTransition, cles::CleEffet), QStringLiteral("Oui"));
    }

    // 100 MB of commas, which QSettings would read as a list of a hundred million
    // strings: read as absent at little cost, and gone from the file at the next write.
    void valeurDemesureeIgnoree()
    {
        QVERIFY(QDir().mkpath(QFileInfo(chemin()).path()));
        QFile f(chemin());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Avertissement]\nAvant=1\nLongue=");
        const QByteArray virgules(1 << 20, ',');
        for (int i = 0; i < 100; ++i)
            QCOMPARE(f.write(virgules), virgules.size());
        f.write("\nApres=2\n");
        f.close();
        if (!sonde::remettrePic())
            QSKIP("this kernel does not let a process reset its resident peak (/proc/self/clear_refs)");
        const qint64 avant = sonde::residentMaintenant();
        {
            Reglages r(chemin());
            QVERIFY(!r.lire(QStringLiteral("Avertissement"), QStringLiteral("Longue")));
            QCOMPARE(r.lire(QStringLiteral("Avertissement"), QStringLiteral("Apres")).value_or(QString()),
                     QStringLiteral("2"));
            r.SaveSetting(cles::Application, QStringLiteral("Avertissement"), QStringLiteral("Affichage"),
                          QStringLiteral("Non"));
        }
        const qint64 pic = sonde::picDepuisRemise(avant);
        QVERIFY2(pic < 64 * 1024 * 1024, qPrintable(QString::number(pic)));
        QVERIFY2(QFileInfo(chemin()).size() < 1024, qPrintable(QString::number(QFileInfo(chemin()).size())));
        QCOMPARE(luParUnAutreProcessus(QStringLiteral("Avertissement"), QStringLiteral("Avant")), QStringLiteral("1"));
    }

    void lotSansEcritureNeTouchePasAuFichier()
    {
        Reglages r(chemin());
        {
            LotReglages lot(r);
        }
        QCOMPARE(r.ecrituresFichier(), 0);
        QVERIFY(!QFileInfo::exists(chemin()));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(VariableLecteur))
        return lireDansCeProcessus(app.arguments());
    TestReglagesDisque t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_reglagesdisque.moc"
