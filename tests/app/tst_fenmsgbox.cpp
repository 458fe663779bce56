// The program's message box, driven for real: the test clicks its buttons while
// afficherBoiteMessage waits in the box's modal loop.
#include "app/fenmsgbox.h"
#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "commun/connexionsrompues.h"
#include "commun/servicesfactices.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {
FenMsgBox* boiteOuverte()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<FenMsgBox*>(w); b && b->isVisible())
            return b;
    return nullptr;
}

// What the box showed while it was open.
struct Vu {
    bool ouverte = false;
    QString titre;
    QString texte;
    bool icone = false;
    QRect geometrie;
};

// Opens the box and, once it is shown, runs `action` on it (clicking, closing).
int demander(General& g, QWidget* parent, const QString& texte, const QString& titre, Vu& vu,
             const std::function<void(FenMsgBox*)>& action, int icone = 0)
{
    QTimer::singleShot(0, [&] {
        FenMsgBox* b = boiteOuverte();
        if (!b)
            return;
        vu.ouverte = true;
        vu.titre = b->findChild<PanneauSkin*>("FondMessage")->titre();
        vu.texte = b->findChild<QLabel*>("LblMessage")->text();
        vu.icone = !b->findChild<QLabel*>("IcoMsg")->pixmap().isNull();
        vu.geometrie = b->frameGeometry();
        action(b);
    });
    return afficherBoiteMessage(g, parent, icone, texte, titre);
}

void cliquer(FenMsgBox* b, int index)
{
    auto* bouton = b->findChild<BoutonSkin*>(QStringLiteral("CmdReponse%1").arg(index));
    QVERIFY(bouton);
    QTest::mouseClick(bouton, Qt::LeftButton);
}

// Records, with each cue, whether a message box was on screen when it played.
class ServicesEcoute : public ServicesFactices {
public:
    QList<bool> boiteVisible;
    void jouerSon(int numero) override
    {
        ServicesFactices::jouerSon(numero);
        boiteVisible << (boiteOuverte() != nullptr);
    }
};
} // namespace

class TestFenMsgBox : public QObject {
    Q_OBJECT

    QTemporaryDir dossier_;
    std::unique_ptr<Reglages> reglages_;
    std::unique_ptr<ServicesEcoute> services_;
    std::unique_ptr<General> g_;

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        reglages_ = std::make_unique<Reglages>(dossier_.filePath("Ormelle.ini"));
        services_ = std::make_unique<ServicesEcoute>();
        g_ = std::make_unique<General>(*reglages_, *services_);
    }

    void titreEtTexteVidesParDefaut()
    {
        Vu vu;
        const int r = demander(*g_, nullptr, QString(), QString(), vu, [](FenMsgBox* b) { cliquer(b, 0); });
        QVERIFY(vu.ouverte);
        QCOMPARE(vu.titre, QStringLiteral("Confirmation"));
        QCOMPARE(vu.texte, QStringLiteral("Aucune question n’a été transmise..."));
        QCOMPARE(r, -1);
    }

    void titreEtTexteDonnesAffichesTelsQuels()
    {
        Vu vu;
        const QString texte = QStringLiteral("Êtes-vous sûr(e) de vouloir envoyer « a.jpg » dans la Corbeille ?");
        const int r = demander(*g_, nullptr, texte, QStringLiteral("Supprimer le fichier"), vu,
                               [](FenMsgBox* b) { cliquer(b, 1); });
        QCOMPARE(vu.titre, QStringLiteral("Supprimer le fichier"));
        QCOMPARE(vu.texte, texte);
        QCOMPARE(r, 0);
    }

    void fermerSansBoutonDonneZero_data()
    {
        QTest::addColumn<bool>("parEchap");
        QTest::newRow("close") << false;
        QTest::newRow("Échap") << true;
    }
    void fermerSansBoutonDonneZero()
    {
        QFETCH(bool, parEchap);
        Vu vu;
        const int r = demander(*g_, nullptr, "?", "t", vu, [parEchap](FenMsgBox* b) {
            if (parEchap)
                QTest::keyClick(b, Qt::Key_Escape);
            else
                b->close();
        });
        QVERIFY(vu.ouverte);
        QCOMPARE(r, 0);
    }

    // The keys reach the box as soon as it shows, wherever the focus was before.
    void toucheRepond_data()
    {
        QTest::addColumn<int>("touche");
        QTest::addColumn<int>("reponse");
        QTest::newRow("Entrée") << int(Qt::Key_Return) << -1;
        QTest::newRow("Entrée du pavé") << int(Qt::Key_Enter) << -1;
        QTest::newRow("Espace") << int(Qt::Key_Space) << -1;
        QTest::newRow("Échap") << int(Qt::Key_Escape) << 0;
    }
    void toucheRepond()
    {
        QFETCH(int, touche);
        QFETCH(int, reponse);
        Vu vu;
        const int r = demander(*g_, nullptr, "?", "t", vu, [touche](FenMsgBox* b) {
            QTest::keyClick(b->focusWidget() ? b->focusWidget() : b, Qt::Key(touche));
            if (b->isVisible()) // the key did nothing: "Non" ends the wait
                cliquer(b, 1);
        });
        QVERIFY(vu.ouverte);
        QCOMPARE(r, reponse);
    }

    void iconeEtCue_data()
    {
        QTest::addColumn<int>("icone");
        QTest::addColumn<int>("cue");
        QTest::newRow("0: rien") << 0 << 0;
        QTest::newRow("1: arrêt") << 1 << 20;
        QTest::newRow("2: exclamation") << 2 << 21;
        QTest::newRow("3: information") << 3 << 22;
        QTest::newRow("4: question") << 4 << 23;
        QTest::newRow("5: rien") << 5 << 0;
        QTest::newRow("-1: rien") << -1 << 0;
    }
    void iconeEtCue()
    {
        QFETCH(int, icone);
        QFETCH(int, cue);
        Vu vu;
        demander(
            *g_, nullptr, "texte", "titre", vu, [](FenMsgBox* b) { cliquer(b, 0); }, icone);
        QCOMPARE(vu.icone, cue != 0);
        QCOMPARE(services_->sons, cue ? QList<int>{cue} : QList<int>{});
        // The cue sounds before the box appears, never while it waits.
        QCOMPARE(services_->boiteVisible, cue ? QList<bool>{false} : QList<bool>{});
    }

    void tailleEtCentreSurLeProprietaire()
    {
        QWidget proprietaire;
        proprietaire.setGeometry(150, 100, 560, 420); // inside the offscreen screen (800 × 600)
        proprietaire.show();
        QVERIFY(QTest::qWaitForWindowExposed(&proprietaire));
        Vu vu;
        demander(*g_, &proprietaire, "texte", "titre", vu, [](FenMsgBox* b) { cliquer(b, 1); });
        QCOMPARE(vu.geometrie.size(), QSize(400, 133));
        const QPoint ecart = vu.geometrie.center() - proprietaire.frameGeometry().center();
        QVERIFY2(ecart.manhattanLength() <= 3, qPrintable(QStringLiteral("écart %1,%2").arg(ecart.x()).arg(ecart.y())));
    }

    // Building the box plays nothing: the cue belongs to the moment it is shown.
    void construireNeJoueRien()
    {
        FenMsgBox b(*g_, nullptr, 2);
        QVERIFY(services_->sons.isEmpty());
    }

    // Owned by a frameless window, as every window of the program is: no guessed frame
    // shifts it off the centre.
    void centreSurUnProprietaireSansCadre()
    {
        QWidget proprietaire(nullptr, Qt::Window | Qt::FramelessWindowHint);
        proprietaire.setGeometry(100, 80, 600, 450);
        proprietaire.show();
        QVERIFY(QTest::qWaitForWindowExposed(&proprietaire));
        Vu vu;
        demander(*g_, &proprietaire, "texte", "titre", vu, [](FenMsgBox* b) { cliquer(b, 1); });
        QVERIFY(vu.ouverte);
        const QPoint ecart = vu.geometrie.center() - proprietaire.frameGeometry().center();
        QVERIFY2(ecart.manhattanLength() <= 1, qPrintable(QStringLiteral("écart %1,%2").arg(ecart.x()).arg(ecart.y())));
    }

    void couleursDuSchema()
    {
        g_->Couleurs[Role::DebutDegrade] = "255";      // red
        g_->Couleurs[Role::FinDegrade] = "65280";      // green
        g_->Couleurs[Role::AutresTextes] = "16711680"; // blue
        g_->Couleurs[Role::Lumiere] = "65535";         // yellow
        FenMsgBox b(*g_, nullptr, 0);
        auto* fond = b.findChild<PanneauSkin*>("FondMessage");
        QCOMPARE(fond->gradientDebut(), QColor(Qt::red));
        QCOMPARE(fond->gradientFin(), QColor(Qt::green));
        QCOMPARE(fond->couleurTexte(), QColor(Qt::blue));
        QCOMPARE(b.findChild<QLabel*>("LblMessage")->palette().color(QPalette::WindowText), QColor(Qt::blue));
        for (const char* nom : {"CmdReponse0", "CmdReponse1"}) {
            auto* bouton = b.findChild<BoutonSkin*>(nom);
            QCOMPARE(bouton->couleurTexte(), QColor(Qt::blue));
            QCOMPARE(bouton->couleurLumiere(), QColor(Qt::yellow));
        }
    }
};

QTEST_MAIN(TestFenMsgBox)
#include "tst_fenmsgbox.moc"
