#include "app/general.h"
#include "core/reglages.h"
#include "core/schema.h"
#include "commun/connexionsrompues.h"
#include "commun/servicesfactices.h"

#include <QTemporaryDir>
#include <QtTest>

class TestReglages : public QObject {
    Q_OBJECT

    QTemporaryDir dossier_;
    QString chemin() const { return dossier_.filePath(QStringLiteral("Ormelle/Ormelle.ini")); }

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        QFile::remove(chemin());
    }

    void valeursRevenuesTellesQuelles_data()
    {
        QTest::addColumn<QString>("valeur");
        QTest::newRow("virgules") << "a, b,c";
        QTest::newRow("guillemets") << "il a dit \"oui\"";
        QTest::newRow("barres obliques inverses") << "C:\\Images\\été";
        QTest::newRow("arobase en tête") << "@Variant(abc)";
        QTest::newRow("espaces autour") << "  deux espaces  ";
        QTest::newRow("accents et guillemets français") << "« Début du dégradé »";
        QTest::newRow("point-virgule et dièse") << "a;b #c";
        QTest::newRow("vide") << "";
        QTest::newRow("saut de ligne") << "ligne1\nligne2";
    }
    void valeursRevenuesTellesQuelles()
    {
        QFETCH(QString, valeur);
        {
            Reglages r(chemin());
            r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, valeur);
        }
        // A fresh store reads the file again, as the next run would.
        Reglages relu(chemin());
        const auto lu = relu.lire(cles::SectionPause, cles::ClePause);
        QVERIFY(lu.has_value());
        QCOMPARE(*lu, valeur);
    }

    void absentDistinctDeVide()
    {
        Reglages r(chemin());
        QVERIFY(!r.lire(cles::SectionAvertissement, cles::CleAffichage).has_value());
        QCOMPARE(r.GetSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "Oui"), "Oui");
        r.SaveSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "");
        QCOMPARE(r.GetSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "Oui"), "");
    }

    void sectionsEtClesEcritesEnClair()
    {
        // Other tools and the user read this file: section and key names stay exactly as named.
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, "5");
        Reglages relu(chemin());
        QCOMPARE(relu.GetSetting(cles::Application, cles::SectionPause, cles::ClePause, "1"), "5");
        QVERIFY(QFileInfo::exists(chemin()));
    }

    void suppressionRameneLesDefauts()
    {
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionCouleurs, "Fin du dégradé", "255");
        r.SaveSetting(cles::Application, cles::SectionConseils, cles::CleConseil, "Non");
        r.DeleteSetting(cles::Application);
        Reglages relu(chemin());
        QVERIFY(!relu.lire(cles::SectionCouleurs, "Fin du dégradé").has_value());
        QVERIFY(!relu.lire(cles::SectionConseils, cles::CleConseil).has_value());
    }

    void bornesDeLaPauseEtDeLaTransition_data()
    {
        QTest::addColumn<QString>("pause");
        QTest::addColumn<QString>("transition");
        QTest::addColumn<int>("pauseLue");
        QTest::addColumn<int>("transitionLue");
        QTest::newRow("zéro") << "0"
                              << "0" << 1 << 1;
        QTest::newRow("trop grand") << "75"
                                    << "250" << 60 << 100;
        QTest::newRow("pas un nombre") << "abc"
                                       << "" << 1 << 1;
        QTest::newRow("négatif") << "-4"
                                 << "-1" << 1 << 1;
        QTest::newRow("dans les bornes") << "12"
                                         << "37" << 12 << 37;
        // Past any integer type: still above the bound, so the bound.
        QTest::newRow("vingt chiffres") << "99999999999999999999"
                                        << "4294967296" << 60 << 100;
        QTest::newRow("vingt chiffres négatifs") << "-99999999999999999999"
                                                 << "-4294967296" << 1 << 1;
        QTest::newRow("zéros en tête et espaces") << " 0012 "
                                                  << "+007" << 12 << 7;
        QTest::newRow("chiffres puis lettres") << "12s"
                                               << "3.5" << 1 << 1;
        QTest::newRow("signe seul") << "-"
                                    << "+" << 1 << 1;
        QTest::newRow("chiffres arabes-indiens") << "\u0665"
                                                 << "\u0662" << 1 << 1;
    }
    void bornesDeLaPauseEtDeLaTransition()
    {
        QFETCH(QString, pause);
        QFETCH(QString, transition);
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionPause, cles::ClePause, pause);
        r.SaveSetting(cles::Application, cles::SectionTransition, cles::CleDureeTransition, transition);
        ServicesFactices s;
        General g(r, s);
        g.diaporama.lire(r);
        QTEST(g.diaporama.dureePause, "pauseLue");
        QTEST(g.diaporama.dureeTransition, "transitionLue");
    }

    void magasinVide()
    {
        Reglages r(chemin());
        ServicesFactices s;
        General g(r, s);
        g.Couleurs.lire(r);
        g.diaporama.lire(r);
        g.commentaire.police.lire(r);
        QCOMPARE(g.Couleurs[Role::DebutDegrade], "&H808000");
        QCOMPARE(g.Couleurs[Role::FinDegrade], "&HE0E0E0");
        QCOMPARE(g.diaporama.dureePause, 1);
        QVERIFY(!g.diaporama.effetTransition);
        QCOMPARE(g.diaporama.dureeTransition, 1);
        QCOMPARE(g.diaporama.couleurTransition(), QColor(1, 0, 0));
        QCOMPARE(g.diaporama.adaptation(), std::optional(ajustement::NePasAdapter));
        QVERIFY(!g.diaporama.ordreAleatoire);
        const QFont police = g.commentaire.police.police();
        QCOMPARE(police.family(), "Comic Sans MS");
        QCOMPARE(police.pointSizeF(), 18);
        QVERIFY(police.bold());
        QVERIFY(!police.italic());
        QCOMPARE(g.commentaire.police.couleur(), QColor(255, 255, 0));
    }

    void ouiExactement()
    {
        Reglages r(chemin());
        r.SaveSetting(cles::Application, cles::SectionTransition, cles::CleEffet, "oui");
        r.SaveSetting(cles::Application, cles::SectionAleatoire, cles::CleAleatoire, "Oui");
        ServicesFactices s;
        General g(r, s);
        g.diaporama.lire(r);
        QVERIFY(!g.diaporama.effetTransition);
        QVERIFY(g.diaporama.ordreAleatoire);
    }

    void marqueursDeLaPoliceRemplaces()
    {
        Reglages r(chemin());
        // A marker stored as such is read as its default; another key's marker is a real value.
        r.SaveSetting(cles::Application, cles::SectionCommentaire, "PoliceNom", "1");
        r.SaveSetting(cles::Application, cles::SectionCommentaire, "PoliceTaille", "1");
        ServicesFactices s;
        General g(r, s);
        g.commentaire.police.lire(r);
        QCOMPARE(g.commentaire.police.police().family(), "Comic Sans MS");
        QCOMPARE(g.commentaire.police.police().pointSizeF(), 1);
    }

    void fichierDUneVersionPrecedente()
    {
        // A store written by an earlier run, its names spelt out here rather than taken
        // from the table: a name changed by mistake would lose what users have kept.
        {
            Reglages ancien(chemin());
            const auto ecrire = [&](const char* section, const char* cle, const char* valeur) {
                ancien.SaveSetting("Ormelle", QString::fromUtf8(section), QString::fromUtf8(cle),
                                   QString::fromUtf8(valeur));
            };
            ecrire("Couleurs de l'interface", "'Lumière' des boutons", "255");
            ecrire("Avertissement", "Affichage", "Non");
            ecrire("Affichage des info-bulles", "Valeur", "Non");
            ecrire("Conseils du jour", "Conseil au démarrage", "Non");
            ecrire("Durée de la pause entre l'affichage des images (en secondes, de 1 à 60)", "DuréePause", "42");
            ecrire("Effet de transition entre les images", "EffetTransition", "Oui");
            ecrire("Effet de transition entre les images", "DuréeTransition", "17");
            ecrire("Effet de transition entre les images", "CouleurTransition", "65280");
            ecrire("Adapter l'image à la taille de l'écran", "AdapterImage", "2");
            ecrire("Ordre d'affichage aléatoire des images", "AffichageAléatoire", "Oui");
            ecrire("Commentaire", "PoliceSoulignee", "True");
        }
        Reglages r(chemin());
        QCOMPARE(lireTexte(r, Reglage::Lumiere), "255");
        QVERIFY(!lireOui(r, Reglage::Avertissement));
        QVERIFY(!lireOui(r, Reglage::InfoBulles));
        QVERIFY(!lireOui(r, Reglage::ConseilDemarrage));
        ServicesFactices s;
        General g(r, s);
        g.diaporama.lire(r);
        g.commentaire.police.lire(r);
        QCOMPARE(g.diaporama.dureePause, 42);
        QVERIFY(g.diaporama.effetTransition);
        QCOMPARE(g.diaporama.dureeTransition, 17);
        QCOMPARE(g.diaporama.couleurTransition(), QColor(0, 255, 0));
        QCOMPARE(g.diaporama.adaptation(), std::optional(ajustement::ToutEcran));
        QVERIFY(g.diaporama.ordreAleatoire);
        QVERIFY(g.commentaire.police.police().underline());
    }

    // A line too long to be a setting is screened out as QSettings would cut the file:
    // a quoted value and a backslash run on past a line end. The keys around are read
    // as written.
    void lignesDemesureesEcartees_data()
    {
        const QByteArray long_(100 * 1024, 'v');
        QTest::addColumn<QByteArray>("milieu");
        QTest::newRow("valeur entre guillemets") << "[A]\nLongue=\"" + long_ + "\n" + long_ + "\"\n";
        QTest::newRow("ligne continuée") << "[A]\nLongue=" + long_ + "\\\n" + long_ + "\n";
    }
    void lignesDemesureesEcartees()
    {
        QFETCH(QByteArray, milieu);
        QVERIFY(QDir().mkpath(QFileInfo(chemin()).path()));
        QFile f(chemin());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[A]\nAvant=1 ; note\n" + milieu + "Suite=2\n[B]\nApres=3\n");
        f.close();
        Reglages r(chemin());
        QVERIFY(!r.lire("A", "Longue"));
        QCOMPARE(r.lire("A", "Avant").value_or("<absent>"), "1");
        QCOMPARE(r.lire("A", "Suite").value_or("<absent>"), "2");
        QCOMPARE(r.lire("B", "Apres").value_or("<absent>"), "3");
    }

    void septClesDuDiaporamaEcrites()
    {
        Reglages r(chemin());
        ServicesFactices s;
        General g(r, s);
        g.modele.ouvrir("/home/moi/Images");
        g.diaporama.dureePause = 5;
        g.diaporama.effetTransition = true;
        g.diaporama.dureeTransition = 30;
        g.diaporama.setCouleurTransition(QColor(255, 0, 0));
        g.diaporama.setAdaptation(ajustement::ToutEcran);
        g.diaporama.ordreAleatoire = false;
        g.diaporama.ecrire(r, g.DossierCourant());
        Reglages relu(chemin());
        const auto lire = [&](const QString& sec, const QString& cle) {
            return relu.lire(sec, cle).value_or("<absent>");
        };
        QCOMPARE(lire(cles::SectionDossier, cles::CleDossier), "/home/moi/Images");
        QCOMPARE(lire(cles::SectionPause, cles::ClePause), "5");
        QCOMPARE(lire(cles::SectionTransition, cles::CleEffet), "Oui");
        QCOMPARE(lire(cles::SectionTransition, cles::CleDureeTransition), "30");
        QCOMPARE(lire(cles::SectionTransition, cles::CleCouleurTransition), "255");
        QCOMPARE(lire(cles::SectionAdapter, cles::CleAdapter), "2");
        QCOMPARE(lire(cles::SectionAleatoire, cles::CleAleatoire), "Non");
    }
};

QTEST_MAIN(TestReglages)
#include "tst_reglages.moc"
