// Filters written as label|patterns pairs, as Qt's file dialogs take them.
#include "app/services.h"
#include "commun/connexionsrompues.h"

#include <QtTest>

class TestFiltreDialogue : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void conversion_data()
    {
        QTest::addColumn<QString>("concu");
        QTest::addColumn<QString>("qt");
        QTest::newRow("sons") << QStringLiteral("Sons MID, RMI et WAV|*.mid;*.rmi;*.wav|Tous les fichiers|*.*")
                              << QStringLiteral("Sons MID, RMI et WAV (*.mid *.rmi *.wav);;Tous les fichiers (*)");
        QTest::newRow("un seul") << QStringLiteral("Images|*.bmp") << QStringLiteral("Images (*.bmp)");
        QTest::newRow("motifs vides") << QStringLiteral("Rien|;;*.txt;") << QStringLiteral("Rien (*.txt)");
        QTest::newRow("libellé sans motifs") << QStringLiteral("Seul") << QString();
        QTest::newRow("vide") << QString() << QString();
    }
    void conversion()
    {
        QFETCH(QString, concu);
        QFETCH(QString, qt);
        QCOMPARE(filtreDialogueQt(concu), qt);
    }
};

QTEST_GUILESS_MAIN(TestFiltreDialogue)
#include "tst_filtredialogue.moc"
