#include "core/reglages.h"
#include "core/schema.h"
#include "commun/connexionsrompues.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void lectureDesNombres_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<bool>("valide");
        QTest::addColumn<QColor>("couleur");
        QTest::newRow("hexadécimal teal") << "&H808000" << true << QColor(0, 128, 128);
        QTest::newRow("décimal teal") << "8421376" << true << QColor(0, 128, 128);
        QTest::newRow("jaune court") << "&H0FFFF" << true << QColor(255, 255, 0);
        QTest::newRow("blanc décimal") << "16777215" << true << QColor(255, 255, 255);
        QTest::newRow("blanc hexadécimal") << "&HFFFFFF" << true << QColor(255, 255, 255);
        QTest::newRow("minuscules") << "&hff" << true << QColor(255, 0, 0);
        QTest::newRow("vide") << "" << false << QColor();
        QTest::newRow("&H seul") << "&H" << false << QColor();
        QTest::newRow("mot") << "rouge" << false << QColor();
        QTest::newRow("signe") << "-255" << false << QColor();
        QTest::newRow("espaces") << " 255" << false << QColor();
        QTest::newRow("chiffres arabes orientaux") << QString::fromUtf8("٢٥٥") << false << QColor();
        QTest::newRow("trop grand") << "99999999999" << false << QColor();
    }
    void lectureDesNombres()
    {
        QFETCH(QString, texte);
        QFETCH(bool, valide);
        const auto n = lireNombreCouleur(texte);
        QCOMPARE(n.has_value(), valide);
        if (valide) {
            QFETCH(QColor, couleur);
            QCOMPARE(versQColor(*n), couleur);
            QCOMPARE(versQColor(depuisQColor(couleur)), couleur);
        }
    }

    void texteInvalideDonneLeDefautDuRole()
    {
        SchemaCouleurs s;
        s[Role::Lumiere] = "n'importe quoi";
        QCOMPARE(s.couleur(Role::Lumiere), QColor(108, 255, 222));
    }

    void reinitialisationEcritLesTextesDecimaux()
    {
        QTemporaryDir d;
        Reglages r(d.filePath("o.ini"));
        SchemaCouleurs s;
        s.reinitialiser();
        s.enregistrerTout(r);
        const QStringList attendus = {"8421376", "14737632", "8421376", "14614380", "16777215", "8421376", "13816320"};
        for (int i = 0; i < NbRoles; ++i)
            QCOMPARE(*r.lire(cles::SectionCouleurs, SchemaCouleurs::cle(Role(i))), attendus[i]);
        // The numbers are the same colours as the hexadecimal defaults they replace.
        SchemaCouleurs defauts;
        for (int i = 0; i < NbRoles; ++i)
            QCOMPARE(s.couleur(Role(i)), defauts.couleur(Role(i)));
    }

    void secondSchema()
    {
        SchemaCouleurs s;
        s.secondSchema();
        QCOMPARE(s.couleur(Role::DebutDegrade), QColor(153, 51, 51));
        QCOMPARE(s.couleur(Role::FinDegrade), QColor(255, 204, 153));
        QCOMPARE(s.couleur(Role::AutresTextes), QColor(255, 233, 210));
        QCOMPARE(s.couleur(Role::Visualisation), QColor(216, 144, 112));
    }

    void lectureDuMagasin()
    {
        QTemporaryDir d;
        Reglages r(d.filePath("o.ini"));
        r.SaveSetting(cles::Application, cles::SectionCouleurs, "Autres textes", "255");
        SchemaCouleurs s;
        s.lire(r);
        QCOMPARE(s[Role::AutresTextes], "255");
        QCOMPARE(s[Role::FondFenetres], "&H808000");
        QCOMPARE(s.couleur(Role::AutresTextes), QColor(255, 0, 0));
    }
};

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
