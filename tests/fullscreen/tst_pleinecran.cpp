// The viewer as a user drives it: slideshow steps, keys, mouse buttons,
// leaving, the transition, unreadable pictures and empty folders.
#include "pilotage.h"

#include "app/general.h"
#include "core/reglages.h"
#include "commun/connexionsrompues.h"
#include "commun/servicesfactices.h"
#include "fullscreen/passageplein.h"
#include "fullscreen/pleinecran.h"
#include "core/prechargeur.h"

#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace pilotage;

class TestPleinEcran : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void diaporamaOuvertSurLeDeuxieme();
    void dossierUneImage();
    void ordreAleatoireDansLaListe();
    void flechesBouclent();
    void rouletteCommeLesFleches();
    void quitter_data();
    void quitter();
    void ctrlClicDroitSuspendEtReprend();
    void clicGaucheArreteLeDiaporama();
    void imageIlliseEtDossierVide();
    void vueUnique();
    void transition();
    void passagePleinEcran();
    void ouvertSurUneImageHorsDesSixFormats();
    void diaporamaRepartDeLImageAtteinteAuClavier();
    void transitionPlusLongueQueLaPause();
    void suitLesAutresProgrammes();

private:
    PleinEcran* ouvrir(const QString& nom, OuverturePleinEcran ouverture);
    QListWidget* fichier1() { return m_vue->findChild<QListWidget*>(QStringLiteral("Fichier1")); }

    std::unique_ptr<QTemporaryDir> m_dossier;
    std::unique_ptr<Reglages> m_reglages;
    std::unique_ptr<ServicesFactices> m_services;
    std::unique_ptr<General> m_g;
    std::unique_ptr<PleinEcran> m_vue;
};

void TestPleinEcran::init()
{
    echouerSurConnexionRompue();
    m_dossier = std::make_unique<QTemporaryDir>();
    for (int i = 0; i < 3; ++i)
        ecrireImage(m_dossier->filePath(QStringLiteral("%1.bmp").arg(QChar('a' + i))), Couleurs[i]);
    m_reglages = std::make_unique<Reglages>(m_dossier->filePath(QStringLiteral("Ormelle.ini")));
    m_services = std::make_unique<ServicesFactices>();
    m_g = std::make_unique<General>(*m_reglages, *m_services);
    m_g->diaporama.dureePause = 3;
}

void TestPleinEcran::cleanup()
{
    m_vue.reset();
    m_g.reset();
}

PleinEcran* TestPleinEcran::ouvrir(const QString& nom, OuverturePleinEcran ouverture)
{
    m_g->modele.ouvrir(m_dossier->path(), nom);
    listee(m_g->modele);
    m_vue = std::make_unique<PleinEcran>(*m_g, nullptr, ouverture);
    m_vue->show();
    montree(*m_vue);
    return m_vue.get();
}

void TestPleinEcran::diaporamaOuvertSurLeDeuxieme()
{
    PleinEcran* v = ouvrir(QStringLiteral("b.bmp"), OuverturePleinEcran::Diaporama);
    QCOMPARE(couleurAffichee(*v), 1);
    QVERIFY(m_g->DiaporamaEnCours && v->curseurMasque());
    QVERIFY(v->Minuterie1().isActive());
    QCOMPARE(v->Minuterie1().interval(), 3000);
    QList<int> vues;
    for (int k = 0; k < 5; ++k) {
        etape(*v);
        vues << couleurAffichee(*v);
        QCOMPARE(v->IndexImage(), vues.last());
    }
    QCOMPARE(vues, (QList<int>{1, 2, 0, 1, 2}));
    QCOMPARE(m_g->FichierCourant(), m_dossier->filePath(QStringLiteral("c.bmp")));
}

void TestPleinEcran::dossierUneImage()
{
    QFile::remove(m_dossier->filePath(QStringLiteral("a.bmp")));
    QFile::remove(m_dossier->filePath(QStringLiteral("c.bmp")));
    PleinEcran* v = ouvrir(QStringLiteral("b.bmp"), OuverturePleinEcran::Diaporama);
    for (bool aleatoire : {false, true}) {
        m_g->diaporama.ordreAleatoire = aleatoire;
        for (int k = 0; k < 3; ++k) {
            etape(*v);
            QCOMPARE(couleurAffichee(*v), 1);
        }
    }
}

void TestPleinEcran::ordreAleatoireDansLaListe()
{
    m_g->diaporama.ordreAleatoire = true;
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    QSet<int> vues;
    for (int k = 0; k < 60; ++k) {
        etape(*v);
        QVERIFY(v->IndexImage() >= 0 && v->IndexImage() < 3);
        QCOMPARE(couleurAffichee(*v), v->IndexImage());
        vues << v->IndexImage();
    }
    QCOMPARE(vues.size(), 3); // 60 draws that miss a picture: about one chance in 10^10
}

void TestPleinEcran::flechesBouclent()
{
    PleinEcran* v = ouvrir(QStringLiteral("c.bmp"), OuverturePleinEcran::Normale);
    QCOMPARE(couleurAffichee(*v), 2);
    touche(*v, fichier1(), Qt::Key_Right);
    QCOMPARE(couleurAffichee(*v), 0);
    touche(*v, fichier1(), Qt::Key_Up);
    QCOMPARE(couleurAffichee(*v), 2);
    touche(*v, fichier1(), Qt::Key_Left);
    QCOMPARE(couleurAffichee(*v), 1);
    touche(*v, fichier1(), Qt::Key_Home);
    QCOMPARE(couleurAffichee(*v), 0);
    touche(*v, fichier1(), Qt::Key_End);
    QCOMPARE(couleurAffichee(*v), 2);
    touche(*v, fichier1(), Qt::Key_PageUp);
    QCOMPARE(couleurAffichee(*v), 0);
    QCOMPARE(m_g->ExtensionCourante(), QStringLiteral("bmp"));
    QVERIFY(!m_g->DiaporamaEnCours);
    QVERIFY(!v->Minuterie1().isActive());
}

void TestPleinEcran::rouletteCommeLesFleches()
{
    PleinEcran* v = ouvrir(QStringLiteral("c.bmp"), OuverturePleinEcran::Normale);
    roulette(*v, -120); // towards the user: the next picture, wrapping to the first
    QCOMPARE(couleurAffichee(*v), 0);
    roulette(*v, 120);
    QCOMPARE(couleurAffichee(*v), 2);
    roulette(*v, 240); // two notches at once
    QCOMPARE(couleurAffichee(*v), 0);
    roulette(*v, 60); // half a notch from a touchpad: nothing yet
    QCOMPARE(couleurAffichee(*v), 0);
    roulette(*v, 60);
    QCOMPARE(couleurAffichee(*v), 2);
    QCOMPARE(m_g->FichierCourant(), m_dossier->filePath(QStringLiteral("c.bmp")));
}

void TestPleinEcran::quitter_data()
{
    QTest::addColumn<int>("touche"); // 0: the middle button on the picture
    QTest::newRow("Échap") << int(Qt::Key_Escape);
    QTest::newRow("Entrée") << int(Qt::Key_Return);
    QTest::newRow("clic du milieu") << 0;
}

void TestPleinEcran::quitter()
{
    QFETCH(int, touche);
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    QSignalSpy curseur(v, &PleinEcran::curseurBascule);
    if (touche)
        QTest::keyClick(fichier1(), Qt::Key(touche));
    else
        QTest::mouseClick(v->findChild<QWidget*>(QStringLiteral("Image1")), Qt::MiddleButton);
    QVERIFY(!v->isVisible());
    QCOMPARE(curseur.count(), 1);
    QCOMPARE(curseur.at(0).at(0).toBool(), true);
    QVERIFY(!v->curseurMasque());
    QCOMPARE(m_services->sabliers, 1); // the main window restores it
    QVERIFY(!v->Minuterie1().isActive());
    m_vue.reset();
    QCOMPARE(curseur.count(), 1); // not shown a second time on the way out
}

void TestPleinEcran::ctrlClicDroitSuspendEtReprend()
{
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    QTest::mousePress(v, Qt::RightButton, Qt::ControlModifier, QPoint(2, 2));
    QVERIFY(!v->Minuterie1().isActive());
    QTest::mousePress(v, Qt::RightButton, Qt::ControlModifier, QPoint(2, 2));
    QVERIFY(v->Minuterie1().isActive());
    QCOMPARE(m_services->sons, (QList<int>{19, 19}));
    QVERIFY(m_g->DiaporamaEnCours);
    etape(*v); // the same order goes on
    QCOMPARE(couleurAffichee(*v), 1);
    QTest::mousePress(v, Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(m_services->sons.size(), 2); // without Ctrl: nothing
}

void TestPleinEcran::clicGaucheArreteLeDiaporama()
{
    PleinEcran* v = ouvrir(QStringLiteral("b.bmp"), OuverturePleinEcran::Diaporama);
    QSignalSpy curseur(v, &PleinEcran::curseurBascule);
    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
    montree(*v);
    QVERIFY(!m_g->DiaporamaEnCours);
    QVERIFY(!v->Minuterie1().isActive());
    QVERIFY(!v->curseurMasque());
    QCOMPARE(curseur.count(), 1);
    QVERIFY(v->isVisible());
    QCOMPARE(couleurAffichee(*v), 1); // redisplayed
}

void TestPleinEcran::imageIlliseEtDossierVide()
{
    QFile abimee(m_dossier->filePath(QStringLiteral("b.bmp")));
    QVERIFY(abimee.open(QIODevice::WriteOnly | QIODevice::Truncate));
    abimee.write("BM pas une image");
    abimee.close();
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    etape(*v);
    QCOMPARE(couleurAffichee(*v), -1);
    QVERIFY(!v->findChild<QWidget*>(QStringLiteral("Image1"))->isVisible());
    QVERIFY(v->Minuterie1().isActive());
    QCOMPARE(v->palette().color(QPalette::Window), QColor(Qt::black));
    etape(*v);
    QCOMPARE(couleurAffichee(*v), 2);

    for (const char* nom : {"a.bmp", "b.bmp", "c.bmp"})
        QFile::remove(m_dossier->filePath(nom));
    m_vue.reset();
    v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    etape(*v);
    QCOMPARE(couleurAffichee(*v), -1);
    QVERIFY(v->Minuterie1().isActive());
    QVERIFY(v->isVisible());
}

void TestPleinEcran::vueUnique()
{
    m_g->diaporama.setAdaptation(ajustement::NePasAdapter);
    PleinEcran* v = ouvrir(QStringLiteral("c.bmp"), OuverturePleinEcran::VueUnique);
    QWidget* image1 = v->findChild<QWidget*>(QStringLiteral("Image1"));
    QCOMPARE(image1->size(), QSize(160, 120)); // natural size, centred
    QCOMPARE(image1->pos(), QPoint((v->width() - 160) / 2, (v->height() - 120) / 2));
    QTest::mousePress(image1, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!v->isVisible());
    QVERIFY(!v->vueUnique());
    QCOMPARE(m_services->images.size(), 1);
    QCOMPARE(m_services->images[0].size(), QSize(160, 120));
    QCOMPARE(m_services->images[0].pixelColor(80, 60), QColor(Qt::blue));
    QCOMPARE(m_services->sons, (QList<int>{19}));

    v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::VueUnique);
    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(!v->isVisible());
    QVERIFY(!v->vueUnique());
    QCOMPARE(m_services->images.size(), 1);
}

void TestPleinEcran::transition()
{
    m_g->diaporama.effetTransition = true;
    m_g->diaporama.dureeTransition = 1;
    m_g->diaporama.setAdaptation(ajustement::NePasAdapter);
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Normale);
    QWidget* picture2 = v->findChild<QWidget*>(QStringLiteral("Picture2"));
    QWidget* image1 = v->findChild<QWidget*>(QStringLiteral("Image1"));
    QVERIFY(v->effetEnCours());
    QVERIFY(picture2->isVisible());
    QCOMPARE(picture2->geometry(), image1->geometry());

    // A key during the effect shows the next picture at once and its effect
    // replaces the running one.
    touche(*v, fichier1(), Qt::Key_Right);
    QCOMPARE(couleurAffichee(*v), 1);
    QVERIFY(v->effetEnCours());
    QSignalSpy fin(v, &PleinEcran::effetTermine);
    QVERIFY(fin.wait());
    QCOMPARE(fin.count(), 1);
    QVERIFY(!picture2->isVisible());
    QCOMPARE(couleurAffichee(*v), 1);

    m_g->diaporama.effetTransition = false;
    v->AfficheImage();
    montree(*v);
    QVERIFY(!v->effetEnCours());
    QVERIFY(!picture2->isVisible());
}

void TestPleinEcran::passagePleinEcran()
{
    QWidget principale;
    principale.show();
    m_g->modele.ouvrir(m_dossier->path(), QStringLiteral("b.bmp"));
    QTRY_VERIFY(!m_g->modele.listageEnCours());
    bool pleinEcran = false, barreMasquee = false;
    int affichee = -3;
    // Left from inside the modal loop, as the user would with Esc.
    QTimer::singleShot(0, this, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* v = qobject_cast<PleinEcran*>(w);
            if (!v || !v->isVisible())
                continue;
            pleinEcran = v->isFullScreen();
            barreMasquee = m_g->BarreTacheMasquee;
            montree(*v);
            affichee = couleurAffichee(*v);
            QTest::keyClick(v->findChild<QListWidget*>(QStringLiteral("Fichier1")), Qt::Key_Escape);
        }
    });
    LancerPleinEcran(*m_g, &principale);
    QVERIFY(pleinEcran && barreMasquee);
    QCOMPARE(affichee, 1);
    QVERIFY(!m_g->BarreTacheMasquee);
    QCOMPARE(m_services->sabliers, 0); // the pointer set on leaving is restored

    // Task bar shown again from inside: a plain window of the screen's size.
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Normale);
    m_g->BarreTacheMasquee = true;
    MasquerBarreTaches(v);
    QVERIFY(v->isFullScreen());
    m_g->BarreTacheMasquee = false;
    AfficherBarreTaches(v);
    QVERIFY(!v->isFullScreen());
    QCOMPARE(v->geometry(), v->screen()->geometry());
}

// A .png chosen under "*.*": the viewer opens on it, and the keyboard focus
// given to the hidden list does not move it back to the folder's first picture.
void TestPleinEcran::ouvertSurUneImageHorsDesSixFormats()
{
    QImage jaune(160, 120, QImage::Format_RGB32);
    jaune.fill(Qt::yellow);
    QVERIFY(jaune.save(m_dossier->filePath(QStringLiteral("d.png")), "PNG"));
    PleinEcran* v = ouvrir(QStringLiteral("d.png"), OuverturePleinEcran::Normale);
    fichier1()->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(m_g->FichierCourant(), m_dossier->filePath(QStringLiteral("d.png")));
    QCOMPARE(v->imageAffichee().pixelColor(80, 60), QColor(Qt::yellow));
    QCOMPARE(v->fichiers().size(), 4);
    touche(*v, fichier1(), Qt::Key_Right); // wraps from the last to the first
    QCOMPARE(couleurAffichee(*v), 0);
    touche(*v, fichier1(), Qt::Key_Left);
    QCOMPARE(v->imageAffichee().pixelColor(80, 60), QColor(Qt::yellow));
}

void TestPleinEcran::diaporamaRepartDeLImageAtteinteAuClavier()
{
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    touche(*v, fichier1(), Qt::Key_Right);
    touche(*v, fichier1(), Qt::Key_Right);
    QCOMPARE(couleurAffichee(*v), 2);
    QVERIFY(m_g->DiaporamaEnCours);
    etape(*v); // after the picture on screen, not after the one shown before the keys
    QCOMPARE(couleurAffichee(*v), 0);
    QCOMPARE(m_g->FichierCourant(), m_dossier->filePath(QStringLiteral("a.bmp")));
}

// An effect longer than the pause runs to its end; the pause counts from there.
void TestPleinEcran::transitionPlusLongueQueLaPause()
{
    m_g->diaporama.effetTransition = true;
    m_g->diaporama.dureeTransition = 100; // 51 steps of 100 ms: far longer than the pause
    m_g->diaporama.dureePause = 1;
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    QVERIFY(v->effetEnCours());
    QVERIFY(!v->Minuterie1().isActive());
    QSignalSpy fin(v, &PleinEcran::effetTermine);
    // The effect's own timer, ticked by hand: no waiting on the clock.
    QCOMPARE(v->minuterieEffet().interval(), 100);
    for (int k = 0; k < 60 && fin.isEmpty(); ++k) {
        QVERIFY(!v->Minuterie1().isActive());
        QMetaObject::invokeMethod(&v->minuterieEffet(), "timeout");
    }
    QCOMPARE(fin.count(), 1);
    QCOMPARE(couleurAffichee(*v), 0);
    QVERIFY(v->Minuterie1().isActive());
    QCOMPARE(v->Minuterie1().interval(), 1000);
}

// Another program rewrites the next picture in place (same size, same second) and
// copies a picture in: the sequence takes the new file, the next step the new pixels.
void TestPleinEcran::suitLesAutresProgrammes()
{
    PleinEcran* v = ouvrir(QStringLiteral("a.bmp"), OuverturePleinEcran::Diaporama);
    const QString b = m_dossier->filePath(QStringLiteral("b.bmp"));
    QTRY_VERIFY(v->prechargeur().estPret(b));
    struct stat avant;
    QCOMPARE(::stat(QFile::encodeName(b).constData(), &avant), 0);
    ecrireImage(b, Qt::yellow);
    const timespec temps[2] = {{0, UTIME_OMIT}, {avant.st_mtim.tv_sec, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(b).constData(), temps, 0), 0);
    QCOMPARE(QProcess::execute(QStringLiteral("cp"), {b, m_dossier->filePath(QStringLiteral("d.bmp"))}), 0);
    QTRY_COMPARE(fichier1()->count(), 4);
    etape(*v);
    QCOMPARE(m_g->FichierCourant(), b);
    QCOMPARE(v->imageAffichee().pixelColor(80, 60), QColor(Qt::yellow));
}

QTEST_MAIN(TestPleinEcran)
#include "tst_pleinecran.moc"
