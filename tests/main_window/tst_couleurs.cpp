// The colour scheme on the main window: which control takes which colour, the
// colour buttons, reset, the second scheme and the removal of every setting.
#include "bancfenprin.h"

#include "app/skin.h"
#include "commun/connexionsrompues.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {
QString texteStocke(const BancFenPrin& b, Role r)
{
    return b.lu(cles::SectionCouleurs, SchemaCouleurs::cle(r)).value_or(QStringLiteral("<absent>"));
}

QStringList textesStockes(const BancFenPrin& b)
{
    QStringList t;
    for (int i = 0; i < NbRoles; ++i)
        t << texteStocke(b, static_cast<Role>(i));
    return t;
}
} // namespace

class TestCouleurs : public QObject {
    Q_OBJECT

private:
    static void ouvrirOptions(BancFenPrin& b) { clic(b.controle("CmdApropos")); }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void chaqueRolePeintSesControles()
    {
        BancFenPrin b;
        // Seven distinct colours, so that a control painted with the wrong role shows.
        const QStringList stockes = {"&H000001", "&H000002", "&H000003", "&H000004", "&H000005", "&H000006", "7"};
        for (int i = 0; i < NbRoles; ++i)
            b.ecrire(cles::SectionCouleurs, SchemaCouleurs::cle(static_cast<Role>(i)), stockes.at(i));
        FenPrin& f = b.charger();
        const auto c = [](int n) { return versQColor(quint32(n)); };

        auto* titre = b.controle<BoutonSkin>("CmdDeplaceFen");
        QCOMPARE(titre->gradientDebut(), c(1));
        QCOMPARE(titre->gradientFin(), c(2));
        QCOMPARE(titre->couleurTexte(), c(3));
        QCOMPARE(titre->couleurLumiere(), c(4));
        for (const char* nom : {"Forme4", "FondIcones", "PopUpInfos", "FondMessage", "CacheFichiers"}) {
            auto* s = dynamic_cast<ControleSkin*>(b.controle(nom));
            QVERIFY2(s && s->gradientDebut() == c(2) && s->gradientFin() == c(1), nom);
        }
        QCOMPARE(b.controle<PanneauSkin>("PopUpInfos")->couleurTexte(), c(3));
        auto* option = b.controle<BoutonSkin>("CmdBulAide");
        QCOMPARE(option->couleurTexte(), c(5));
        QCOMPARE(option->couleurLumiere(), c(4));
        QCOMPARE(b.controle<BoutonSkin>("Forme3")->couleurTexte(), c(5));
        QCOMPARE(b.controle("LblMessage")->palette().color(QPalette::WindowText), c(5));
        QCOMPARE(b.controle("Line1")->palette().color(QPalette::Window), c(5));
        QCOMPARE(f.palette().color(QPalette::Window), c(6));
        // The icon bar keeps its own colours.
        QVERIFY(b.controle<BoutonSkin>("CmdAide")->gradientDebut() != c(1));
    }

    void couleurChoisieEnregistreeEnDecimal()
    {
        BancFenPrin b;
        b.charger();
        b.services.couleurs.push_back(QColor(10, 20, 30));
        ouvrirOptions(b);
        clic(b.controle("CmdCoulFin"));
        QVERIFY(b.controle("PopUpInfos")->isHidden());
        QCOMPARE(texteStocke(b, Role::FinDegrade), QString::number(10 + 20 * 256 + 30 * 65536));
        QCOMPARE(b.controle<BoutonSkin>("CmdDeplaceFen")->gradientFin(), QColor(10, 20, 30));
        QCOMPARE(texteStocke(b, Role::DebutDegrade), QStringLiteral("<absent>"));
    }

    void choixAnnuleReecritLAncienTexte()
    {
        BancFenPrin b;
        b.charger();
        ouvrirOptions(b);
        clic(b.controle("CmdCoulFin")); // the scripted dialog cancels
        QCOMPARE(texteStocke(b, Role::FinDegrade), QStringLiteral("&HE0E0E0"));
        QCOMPARE(b.controle<BoutonSkin>("CmdDeplaceFen")->gradientFin(), QColor(224, 224, 224));

        b.services.couleurs.push_back(QColor(255, 0, 0));
        ouvrirOptions(b);
        clic(b.controle("CmdCoulVisu"));
        b.services.couleurs.push_back(std::nullopt);
        ouvrirOptions(b);
        clic(b.controle("CmdCoulVisu"));
        QCOMPARE(texteStocke(b, Role::Visualisation), QStringLiteral("255"));
    }

    void reinitialiserEcritLesNombresDecimaux()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionCouleurs, SchemaCouleurs::cle(Role::Lumiere), QStringLiteral("&H123456"));
        b.charger();
        ouvrirOptions(b);
        clic(b.controle("CmdReset"));
        QCOMPARE(textesStockes(b),
                 (QStringList{"8421376", "14737632", "8421376", "14614380", "16777215", "8421376", "13816320"}));
        QCOMPARE(b.controle<BoutonSkin>("CmdDeplaceFen")->couleurLumiere(), QColor(108, 255, 222));
        QVERIFY(b.controle("PopUpInfos")->isHidden());
    }

    void secondSchemaAuBoutonDroitSeulement()
    {
        BancFenPrin b;
        b.charger();
        ouvrirOptions(b);
        auto* libelle = b.controle("LblChangerCoul");
        clic(libelle);
        QCOMPARE(texteStocke(b, Role::DebutDegrade), QStringLiteral("<absent>"));
        clic(libelle, Qt::RightButton);
        QCOMPARE(textesStockes(b),
                 (QStringList{"3355545", "10079487", "3355545", "10079487", "13822463", "3355545", "7377112"}));
        QCOMPARE(b.controle<BoutonSkin>("CmdDeplaceFen")->gradientDebut(), QColor(153, 51, 51));
        QCOMPARE(b.fen->palette().color(QPalette::Window), QColor(153, 51, 51));
    }

    void desinstallationOui()
    {
        BancFenPrin b;
        b.charger();
        ouvrirOptions(b);
        clic(b.controle("CmdConseilDem")); // something stored
        b.services.reponsesBoite.push_back(-1);
        ouvrirOptions(b);
        clic(b.controle("CmdSupprCle"));
        QCOMPARE(b.services.boites.size(), 1);
        QCOMPARE(b.services.boites.first().first, QStringLiteral("DÉSINSTALLATION"));
        QCOMPARE(b.services.boites.first().second,
                 QStringLiteral("Cette opération ne devrait être effectuée que si vous souhaitez désinstaller le "
                                "programme.\nEtes-vous sûr(e) de vouloir supprimer la clé d'enregistrement des "
                                "données d'initialisation dans le fichier de réglages ?"));
        QCOMPARE(b.services.icones, QList<int>{1});
        QVERIFY(!b.lu(cles::SectionConseils, cles::CleConseil));
        // The run goes on with what it has, and writes again what changes.
        QVERIFY(!b.g->demarrage.conseils);
        ouvrirOptions(b);
        clic(b.controle("CmdBulAide"));
        QCOMPARE(b.lu(cles::SectionInfoBulles, cles::CleValeur), QStringLiteral("Non"));
    }

    void desinstallationNonGardeTout()
    {
        BancFenPrin b;
        b.charger();
        ouvrirOptions(b);
        clic(b.controle("CmdConseilDem"));
        ouvrirOptions(b);
        clic(b.controle("CmdSupprCle")); // the scripted box answers the second button
        QCOMPARE(b.lu(cles::SectionConseils, cles::CleConseil), QStringLiteral("Non"));
    }

    void fondAfficheEtRetire()
    {
        BancFenPrin b;
        FenPrin& f = b.charger();
        const auto fenetresFond = [] {
            int n = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                n += QLatin1String(w->metaObject()->className()) == QLatin1String("FenFond") && w->isVisible();
            return n;
        };
        ouvrirOptions(b);
        clic(b.controle("CmdFond"));
        QVERIFY(f.fondAffiche());
        QVERIFY(b.controle("PopUpInfos")->isHidden());
        QCOMPARE(fenetresFond(), 1);
        clic(b.controle("CmdFond"), Qt::RightButton);
        QCOMPARE(b.modaux, (QStringList{"Avertis", "Conseils", "FenColors"}));
        QCOMPARE(fenetresFond(), 1); // shown again with the new colour
        clic(b.controle("CmdFond"));
        QVERIFY(!f.fondAffiche());
        QTRY_COMPARE(fenetresFond(), 0);
    }
};

QTEST_MAIN(TestCouleurs)
#include "tst_couleurs.moc"
