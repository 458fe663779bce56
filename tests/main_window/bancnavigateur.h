#pragma once
// The browser alone in a window, with a record of everything it asked of the frame
// around it; and an empty file made at a path given as bytes.
#include "app/general.h"
#include "app/skin.h"
#include "app/twips.h"
#include "commun/environnement.h"
#include "main_window/navigateur.h"

#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

inline void creer(const QString& chemin)
{
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
        ::close(fd);
}

// A window, its browser, and a record of everything the browser asked of the frame.
struct BancNavigateur : Environnement {
    QWidget fenetre;
    QStringList legendes, legendesTypExt, legendesV;
    QList<QList<bool>> masquages;
    int passages = 0, menus = 0, diaporamas = 0;
    bool cache = false;
    std::unique_ptr<Navigateur> nav;

    BancNavigateur()
    {
        fenetre.resize(twips::taille(10455, 6945));
        nav = std::make_unique<Navigateur>(g, &fenetre);
        Navigateur* n = nav.get();
        QObject::connect(n, &Navigateur::masquerPanneaux, [this](bool a, bool b, bool c, bool d) {
            masquages << QList<bool>{a, b, c, d};
        });
        QObject::connect(n, &Navigateur::legendeChangee, [this](const QString& s) { legendes << s; });
        QObject::connect(n, &Navigateur::diaporamaPossible, [this] { ++diaporamas; });
        QObject::connect(n, &Navigateur::menuFichierDemande, [this] { ++menus; });
        QObject::connect(n, &Navigateur::legendeTypExtChangee, [this](const QString& s) { legendesTypExt << s; });
        QObject::connect(n, &Navigateur::cacheFichiersBascule, [this] { cache = !cache; });
        QObject::connect(n, &Navigateur::pleinEcranDemande, [this] { ++passages; });
        nav->setLegendeVTypExt([this](const QString& s) { legendesV << s; });
    }
    template <class T>
    T* enfant(const char* nom)
    {
        return fenetre.findChild<T*>(QLatin1String(nom));
    }
    QListView* file1() { return enfant<QListView>("File1"); }
    void touche(Qt::Key k) { QTest::keyClick(file1(), k); }
    // Waits for the listing a call asked for.
    template <class F>
    bool attendreListe(F&& appel)
    {
        QSignalSpy spy(nav.get(), &Navigateur::listeChargee);
        appel();
        return spy.count() > 0 || spy.wait(10000);
    }
    bool ouvrir(const QString& d)
    {
        bool ok = false;
        return attendreListe([&] { ok = nav->ouvrirDossier(d); }) && ok;
    }
    void cliquer(const char* bouton)
    {
        attendreListe([&] { QTest::mouseClick(enfant<BoutonSkin>(bouton), Qt::LeftButton); });
    }
};
