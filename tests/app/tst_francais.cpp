// The interface speaks French, Qt's own dialogs and the system's failures included.
#include "app/traductions.h"
#include "platform/lecteurs.h"
#include "platform/erreurs.h"
#include "commun/connexionsrompues.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

class TestFrancais : public QObject {
    Q_OBJECT

    bool traduit_ = false;

    static QStringList textesBoutons(QWidget* w)
    {
        QStringList textes;
        for (auto* b : w->findChildren<QPushButton*>())
            textes << b->text().remove(QLatin1Char('&'));
        return textes;
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        // Before any dialog exists, as the program does at start.
        traduit_ = chargerTraductionsQt(*QCoreApplication::instance());
    }

    void erreursSysteme_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("objet");
        QTest::addColumn<QString>("texte");
        const int q = int(ObjetErreur::Quelconque);
        const int d = int(ObjetErreur::Dossier);
        QTest::newRow("introuvable") << ENOENT << q << QStringLiteral("Fichier ou dossier introuvable");
        QTest::newRow("dossier introuvable") << ENOENT << d << QStringLiteral("Dossier introuvable");
        QTest::newRow("refusé") << EACCES << q << QStringLiteral("Accès refusé");
        QTest::newRow("dossier refusé") << EPERM << d << QStringLiteral("Accès au dossier refusé");
        QTest::newRow("plein") << ENOSPC << q << QStringLiteral("Il n'y a plus de place sur le disque");
        QTest::newRow("lecture seule") << EROFS << d << QStringLiteral("Le support est en lecture seule");
        QTest::newRow("inconnue") << 4000 << q << QStringLiteral("Opération impossible (erreur système 4000)");
        QTest::newRow("dossier inconnue")
            << 4000 << d << QStringLiteral("Lecture du dossier impossible (erreur système 4000)");
    }
    void erreursSysteme()
    {
        QFETCH(int, code);
        QFETCH(int, objet);
        QFETCH(QString, texte);
        QCOMPARE(texteErreurSysteme(code, ObjetErreur(objet)), texte);
    }

    // The drive question quotes the reason a drive cannot be read.
    void lecteurIllisibleEnFrancais()
    {
        QTemporaryDir d;
        QCOMPARE(erreurLectureDossier(d.filePath(QStringLiteral("absent"))), QStringLiteral("Dossier introuvable"));
        QVERIFY(erreurLectureDossier(d.path()).isEmpty());
    }

    // The help names what stands on a Linux desktop, not another system's tools.
    void aideSansAutreSysteme()
    {
        const QRegularExpression autre(QStringLiteral("Windows|Registre|Paintbrush|Explorateur"));
        QDirIterator it(QStringLiteral(ORMELLE_SOURCE_DATA "/Ormelle.chm"), {QStringLiteral("*.htm")}, QDir::Files,
                        QDirIterator::Subdirectories);
        int pages = 0;
        for (; it.hasNext(); ++pages) {
            QFile page(it.next());
            QVERIFY(page.open(QIODevice::ReadOnly));
            const QString texte = QString::fromUtf8(page.readAll());
            QVERIFY2(!autre.match(texte).hasMatch(), qPrintable(page.fileName()));
        }
        QVERIFY(pages > 10);
    }

    void dialoguesDeQt()
    {
        if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_fr.qm")))
            QSKIP("Qt's French catalogue is not installed (qt6-translations-l10n)");
        QVERIFY(traduit_);

        QColorDialog couleur;
        couleur.setOption(QColorDialog::DontUseNativeDialog);
        QVERIFY(!couleur.windowTitle().contains(QLatin1String("Select")));
        QVERIFY(textesBoutons(&couleur).contains(QStringLiteral("Annuler")));

        QMessageBox question(QMessageBox::Warning, QStringLiteral("Ormelle"), QStringLiteral("?"),
                             QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(question.button(QMessageBox::Retry)->text().remove(QLatin1Char('&')), QStringLiteral("Réessayer"));
        QCOMPARE(question.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Annuler"));

        QInputDialog saisie;
        saisie.show();
        QVERIFY(textesBoutons(&saisie).contains(QStringLiteral("Annuler")));
    }
};

QTEST_MAIN(TestFrancais)
#include "tst_francais.moc"
