#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "core/schema.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"
#include "dialogs/reglslid.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {
using Banc = Environnement;

template <class T>
T* enfant(QWidget& w, const QString& nom)
{
    T* c = w.findChild<T*>(nom);
    if (!c)
        qFatal("control %s missing", qPrintable(nom));
    return c;
}

void cliquer(QWidget& d, const QString& nom)
{
    QTest::mouseClick(enfant<QWidget>(d, nom), Qt::LeftButton);
}
} // namespace

class TestReglSlid : public QObject {
    Q_OBJECT

    std::unique_ptr<Banc> b;

    // The slideshow settings as read from a store holding only `texte` for `cle`.
    void lireDiaporama(const QString& section, const QString& cle, const QString& texte)
    {
        Reglages lus(b->dossier.filePath(QStringLiteral("lus.ini")));
        lus.SaveSetting(cles::Application, section, cle, texte);
        b->g.diaporama.lire(lus);
    }

    // Values unlike the defaults, so a restore to the defaults would be caught.
    ReglagesDiaporama valeursDeDepart()
    {
        lireDiaporama(cles::SectionTransition, cles::CleCouleurTransition, QStringLiteral("&HFF"));
        b->g.diaporama.dureePause = 7;
        b->g.diaporama.setAdaptation(ajustement::Proportions);
        b->g.diaporama.effetTransition = false;
        b->g.diaporama.dureeTransition = 30;
        b->g.diaporama.ordreAleatoire = true;
        b->g.modele.ouvrir(QStringLiteral("/home/moi/Images"));
        return b->g.diaporama;
    }

    // Moves every control away from where it opened.
    void toutChanger(ReglSlid& d)
    {
        b->services.couleurs.push_back(QColor(10, 20, 30));
        enfant<QScrollBar>(d, QStringLiteral("DéfilPause"))->triggerAction(QAbstractSlider::SliderToMaximum);
        enfant<QScrollBar>(d, QStringLiteral("DureeTransit"))->triggerAction(QAbstractSlider::SliderPageStepAdd);
        cliquer(d, QStringLiteral("Taille1"));
        cliquer(d, QStringLiteral("CmdCoulTransit"));
        cliquer(d, QStringLiteral("CocheTransit"));
        cliquer(d, QStringLiteral("CocheAfAl"));
    }

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        b = std::make_unique<Banc>();
    }
    void cleanup() { b.reset(); }

    void lesControlesEditentEnDirect()
    {
        valeursDeDepart();
        ReglSlid d(b->g);
        d.show();
        toutChanger(d);
        QCOMPARE(b->g.diaporama.dureePause, 60);
        QCOMPARE(b->g.diaporama.dureeTransition, 40);
        QCOMPARE(b->g.diaporama.adaptation(), std::optional(ajustement::NePasAdapter));
        QCOMPARE(b->g.diaporama.couleurTransition(), QColor(10, 20, 30));
        QCOMPARE(enfant<BoutonSkin>(d, "CmdCoulTransit")->couleurTexte(), QColor(10, 20, 30));
        QCOMPARE(b->g.diaporama.effetTransition, true);
        QCOMPARE(b->g.diaporama.ordreAleatoire, false);
    }

    void annulerRestaureLesSixValeurs_data()
    {
        QTest::addColumn<bool>("parEchap");
        QTest::newRow("CmdAnnul") << false;
        QTest::newRow("Échap") << true;
    }
    void annulerRestaureLesSixValeurs()
    {
        QFETCH(bool, parEchap);
        const ReglagesDiaporama depart = valeursDeDepart();
        ReglSlid d(b->g);
        d.show();
        toutChanger(d);
        cliquer(d, QStringLiteral("CocheEnregistrer"));
        if (parEchap)
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            cliquer(d, QStringLiteral("CmdAnnul"));

        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(!d.isVisible());
        QCOMPARE(b->g.diaporama.dureePause, 7);
        QCOMPARE(b->g.diaporama.adaptation(), std::optional(ajustement::Proportions));
        QCOMPARE(b->g.diaporama.effetTransition, false);
        QCOMPARE(b->g.diaporama.dureeTransition, 30);
        QVERIFY(b->g.diaporama == depart); // the colour's text as read, too
        QCOMPARE(b->g.diaporama.ordreAleatoire, true);
        QVERIFY(!b->storeEcrit());
    }

    void okSansEnregistrerGardeLesValeursSansEcrire()
    {
        valeursDeDepart();
        ReglSlid d(b->g);
        d.show();
        toutChanger(d);
        cliquer(d, QStringLiteral("CmdOK"));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(b->g.diaporama.dureePause, 60);
        QCOMPARE(b->g.diaporama.adaptation(), std::optional(ajustement::NePasAdapter));
        QVERIFY(!b->storeEcrit());
    }

    void okAvecEnregistrerEcritLesSeptCles()
    {
        valeursDeDepart();
        ReglSlid d(b->g);
        d.show();
        QVERIFY(!enfant<QCheckBox>(d, "CocheEnregistrer")->isChecked());
        cliquer(d, QStringLiteral("CocheEnregistrer"));
        QVERIFY(b->g.EnregistrerReglages);
        // Only the pause changes; everything else goes back as it was read.
        enfant<QScrollBar>(d, QStringLiteral("DéfilPause"))->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        cliquer(d, QStringLiteral("CmdOK"));

        QCOMPARE(b->lu(cles::SectionDossier, cles::CleDossier), QStringLiteral("/home/moi/Images"));
        QCOMPARE(b->lu(cles::SectionPause, cles::ClePause), QStringLiteral("8"));
        QCOMPARE(b->lu(cles::SectionTransition, cles::CleEffet), QStringLiteral("Non"));
        QCOMPARE(b->lu(cles::SectionTransition, cles::CleDureeTransition), QStringLiteral("30"));
        QCOMPARE(b->lu(cles::SectionTransition, cles::CleCouleurTransition), QStringLiteral("&HFF"));
        QCOMPARE(b->lu(cles::SectionAdapter, cles::CleAdapter), QStringLiteral("0"));
        QCOMPARE(b->lu(cles::SectionAleatoire, cles::CleAleatoire), QStringLiteral("Oui"));
    }

    void couleurChoisieEcriteEnDecimalAnnulationSansEffet()
    {
        b->g.EnregistrerReglages = true; // left on by an earlier opening: the box shows it
        ReglSlid d(b->g);
        d.show();
        QVERIFY(enfant<QCheckBox>(d, "CocheEnregistrer")->isChecked());
        b->services.couleurs = {QColor(255, 0, 0), std::nullopt};
        cliquer(d, QStringLiteral("CmdCoulTransit"));
        QCOMPARE(b->g.diaporama.couleurTransition(), QColor(255, 0, 0));
        cliquer(d, QStringLiteral("CmdCoulTransit")); // the colour dialog cancelled
        QCOMPARE(b->g.diaporama.couleurTransition(), QColor(255, 0, 0));
        QCOMPARE(enfant<BoutonSkin>(d, "CmdCoulTransit")->couleurTexte(), QColor(255, 0, 0));
        cliquer(d, QStringLiteral("CmdOK"));
        QCOMPARE(b->lu(cles::SectionTransition, cles::CleCouleurTransition), QStringLiteral("255"));
    }

    void modeAdapterInconnu()
    {
        // A stored text that is no mode: no box, and it goes back unchanged unless a box is picked.
        lireDiaporama(cles::SectionAdapter, cles::CleAdapter, QStringLiteral("plein"));
        b->g.EnregistrerReglages = true;
        {
            ReglSlid d(b->g);
            d.show();
            for (const char* nom : {"Taille0", "Taille1", "Taille2"})
                QVERIFY(!enfant<QCheckBox>(d, nom)->isChecked());
            cliquer(d, QStringLiteral("CmdOK"));
            QCOMPARE(b->lu(cles::SectionAdapter, cles::CleAdapter), QStringLiteral("plein"));
        }
        ReglSlid d(b->g);
        d.show();
        cliquer(d, QStringLiteral("Taille2"));
        cliquer(d, QStringLiteral("CmdOK"));
        QCOMPARE(b->lu(cles::SectionAdapter, cles::CleAdapter), QStringLiteral("2"));
    }

    void taillesEnGroupeRadio()
    {
        b->g.diaporama.setAdaptation(ajustement::ToutEcran);
        ReglSlid d(b->g);
        d.show();
        auto* t0 = enfant<QCheckBox>(d, "Taille0");
        auto* t1 = enfant<QCheckBox>(d, "Taille1");
        auto* t2 = enfant<QCheckBox>(d, "Taille2");
        // Listed top to bottom as 0, 2, 1.
        QVERIFY(t0->y() < t2->y() && t2->y() < t1->y());
        QVERIFY(t2->isChecked());

        cliquer(d, QStringLiteral("Taille2"));
        QVERIFY(t2->isChecked());
        QCOMPARE(b->g.diaporama.adaptation(), std::optional(ajustement::ToutEcran));

        cliquer(d, QStringLiteral("Taille0"));
        QCOMPARE(b->g.diaporama.adaptation(), std::optional(ajustement::Proportions));
        QCOMPARE(int(t0->isChecked()) + int(t1->isChecked()) + int(t2->isChecked()), 1);
        QVERIFY(t0->isChecked());
    }

    void boutsDesDefilements_data()
    {
        QTest::addColumn<QString>("defilement");
        QTest::addColumn<QString>("afficheur");
        QTest::addColumn<QString>("bas");
        QTest::addColumn<QString>("haut");
        QTest::newRow("pause") << "DéfilPause"
                               << "TxtPause"
                               << "1"
                               << "60";
        QTest::newRow("transition") << "DureeTransit"
                                    << "TxtTransit"
                                    << "1"
                                    << "100";
    }
    void boutsDesDefilements()
    {
        QFETCH(QString, defilement);
        QFETCH(QString, afficheur);
        QFETCH(QString, bas);
        QFETCH(QString, haut);
        b->g.diaporama.dureePause = 5;
        b->g.diaporama.dureeTransition = 5;
        ReglSlid d(b->g);
        d.show();
        auto* s = enfant<QScrollBar>(d, defilement);
        auto* txt = enfant<QLabel>(d, afficheur);
        QCOMPARE(txt->text(), QStringLiteral("5"));
        s->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(txt->text(), haut);
        s->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(txt->text(), haut);
        s->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(txt->text(), bas);
        s->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(txt->text(), bas);
    }

    void dossierSelonLOuvreur()
    {
        ReglSlid principale(b->g);
        QSignalSpy dossierPrincipale(&principale, &ReglSlid::dossierDemande);
        principale.show();
        auto* rep = enfant<BoutonSkin>(principale, "CmdRep");
        QVERIFY(!rep->isEnabled());
        QCOMPARE(rep->text(), QString());
        QTest::mouseClick(rep, Qt::LeftButton);
        QVERIFY(principale.isVisible());
        QVERIFY(dossierPrincipale.isEmpty());

        ReglSlid pleinEcran(b->g, nullptr, true);
        auto* rep2 = enfant<BoutonSkin>(pleinEcran, "CmdRep");
        QVERIFY(rep2->isEnabled());
        QCOMPARE(rep2->text(), QStringLiteral("Dossier"));
    }

    void dossierCacheSansPerdreLEtat()
    {
        const ReglagesDiaporama depart = valeursDeDepart();
        ReglSlid d(b->g, nullptr, true);
        QSignalSpy dossier(&d, &ReglSlid::dossierDemande);

        QTimer::singleShot(0, &d, [&] {
            toutChanger(d);
            cliquer(d, QStringLiteral("CmdRep"));
        });
        QCOMPARE(d.exec(), ReglSlid::Dossier);
        QVERIFY(!d.isVisible());
        QCOMPARE(dossier.count(), 1);
        QCOMPARE(b->g.diaporama.dureePause, 60); // the viewer works with the changed values meanwhile

        // The chooser stores a folder, then shows the same dialog again.
        b->g.modele.ouvrir(QStringLiteral("/home/moi/Vacances"));
        bool etatGarde = false;
        QTimer::singleShot(0, &d, [&] {
            etatGarde = enfant<QScrollBar>(d, "DéfilPause")->value() == 60
                        && enfant<QLabel>(d, "TxtPause")->text() == QLatin1String("60")
                        && enfant<QCheckBox>(d, "Taille1")->isChecked()
                        && enfant<QCheckBox>(d, "CocheTransit")->isChecked()
                        && !enfant<QCheckBox>(d, "CocheAfAl")->isChecked();
            cliquer(d, QStringLiteral("CmdAnnul"));
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QVERIFY(etatGarde);
        // The snapshot is the one of the first opening; the folder is not part of it.
        QCOMPARE(b->g.diaporama.dureePause, 7);
        QCOMPARE(b->g.diaporama.adaptation(), std::optional(ajustement::Proportions));
        QVERIFY(b->g.diaporama == depart); // the colour's text as read, too
        QCOMPARE(b->g.diaporama.effetTransition, false);
        QCOMPARE(b->g.diaporama.ordreAleatoire, true);
        QCOMPARE(b->g.diaporama.dureeTransition, 30);
        QCOMPARE(b->g.DossierCourant(), QStringLiteral("/home/moi/Vacances"));
        QVERIFY(!b->storeEcrit());
    }

    void aideEtTaille()
    {
        ReglSlid d(b->g);
        d.show();
        QCOMPARE(d.size(), QSize(388, 433));
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        cliquer(d, QStringLiteral("CmdAide"));
        QCOMPARE(b->services.aides.size(), 1);
        QVERIFY(b->services.aides.first().endsWith(QStringLiteral("Ormelle.chm::/htm/slideshow.htm")));
        QVERIFY(d.isVisible());
    }
};

QTEST_MAIN(TestReglSlid)
#include "tst_reglslid.moc"
