#pragma once
// A viewer open on a folder of test pictures, with its pop-up menu, the
// comment files in a folder of the test's own, and the helpers to drive both.
#include "app/skin.h"
#include "commun/environnement.h"
#include "core/commentaires.h"
#include "fullscreen/fenpopup.h"
#include "fullscreen/fondcommandes.h"
#include "fullscreen/pleinecran.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

struct BancPlein {
    Environnement env;
    General& g = env.g;
    QTemporaryDir photos;
    std::unique_ptr<PleinEcran> vue;
    FenPopUp* menu = nullptr;
    QPoint dernierClic;

    BancPlein() { g.DossierCommentaires = env.dossier.filePath(QStringLiteral("donnees/Ormelle")); }
    ~BancPlein() { vue.reset(); }

    QString chemin(const QString& nom) const { return photos.filePath(nom); }
    static void image(const QString& chemin, QSize taille, const QColor& couleur)
    {
        QImage i(taille, QImage::Format_RGB32);
        i.fill(couleur);
        QVERIFY(i.save(chemin, "BMP"));
    }
    QString fichierCommentaires() const { return ::fichierCommentaires(g, photos.path()); }

    void ouvrir(const QString& nom, OuverturePleinEcran ouverture = OuverturePleinEcran::Normale)
    {
        g.modele.ouvrir(photos.path(), nom);
        QTRY_VERIFY_WITH_TIMEOUT(!g.modele.listageEnCours(), 10000);
        vue = std::make_unique<PleinEcran>(g, nullptr, ouverture);
        vue->setTailleEcranForcee(QSize(800, 600));
        vue->setOuvreurMenu([this](PleinEcran& v, QPoint p) {
            if (!menu)
                menu = new FenPopUp(g, v);
            menu->ouvrir(p);
        });
        vue->show();
        montree();
    }
    void montree() { QTRY_VERIFY_WITH_TIMEOUT(!vue->imageEnAttente() && !vue->commentaireEnAttente(), 10000); }
    void touche(Qt::Key t)
    {
        QTest::keyClick(vue->findChild<QListWidget*>(QStringLiteral("Fichier1")), t);
        montree();
    }
    void etape()
    {
        vue->etapeMinuterie();
        montree();
    }
    QLabel* commentFixe() const { return vue->findChild<QLabel*>(QStringLiteral("CommentFixe")); }
    QString commentaireVu() const
    {
        [[maybe_unused]] const bool lu = QTest::qWaitFor([this] { return !vue->commentaireEnAttente(); }, 10000);
        return commentFixe()->isVisible() ? commentFixe()->text() : QString();
    }

    // A left click on the picture, as the user opens the menu.
    void ouvrirMenu()
    {
        QWidget* cible = vue->childAt(vue->width() / 2, vue->height() / 2);
        cible = cible ? cible : vue.get();
        dernierClic = cible->mapToGlobal(QPoint(2, 2));
        QTest::mouseClick(cible, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(menu);
        QTRY_VERIFY(menu->menu()->isVisible());
    }
    // Chooses an entry, then lets the menu close and its requests run.
    void choisir(const char* entree)
    {
        if (!menu || !menu->menu()->isVisible())
            ouvrirMenu();
        QAction* a = menu->action(QString::fromLatin1(entree));
        QVERIFY2(a, entree);
        QSignalSpy ferme(menu, &FenPopUp::ferme);
        // As a click on an entry does: the menu closes, then the entry runs.
        menu->menu()->hide();
        a->trigger();
        QTRY_COMPARE(ferme.count(), 1);
        if (vue && vue->isVisible())
            montree();
        listee();
    }
    // The panel's lists come with its folder's listing.
    void listee() const
    {
        if (FondCommandes* p = vue ? panneau() : nullptr)
            QTRY_VERIFY_WITH_TIMEOUT(!p->listageEnCours(), 10000);
    }
    bool coche(const char* entree) const { return menu->action(QString::fromLatin1(entree))->isChecked(); }

    FondCommandes* panneau() const { return vue->findChild<FondCommandes*>(QStringLiteral("FondCommandes")); }
    template <class T>
    T* controle(const char* nom) const
    {
        // The panel's own first: the settings dialog, a child of the viewer too, has a CmdOK.
        T* c = panneau()->findChild<T*>(QString::fromLatin1(nom));
        if (!c)
            c = vue->findChild<T*>(QString::fromLatin1(nom));
        if (!c)
            qWarning("pas de contrôle %s", nom);
        return c;
    }
    void cliquer(const char* bouton) { QTest::mouseClick(controle<BoutonSkin>(bouton), Qt::LeftButton); }
    QString titreMessage() const
    {
        auto* fond = controle<PanneauSkin>("FondMessage");
        return fond->isVisible() ? fond->titre() : QString();
    }
};
