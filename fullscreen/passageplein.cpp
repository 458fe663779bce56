#include "fullscreen/passageplein.h"

#include "app/general.h"
#include "app/services.h"
#include "fullscreen/fenpopup.h"
#include "fullscreen/pleinecran.h"
#include "fullscreen/sonspleinecran.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

void MasquerBarreTaches(QWidget* pleinEcran)
{
    if (auto* v = qobject_cast<PleinEcran*>(pleinEcran))
        v->appliquerBarreTaches();
}

void AfficherBarreTaches(QWidget* pleinEcran)
{
    if (auto* v = qobject_cast<PleinEcran*>(pleinEcran))
        v->appliquerBarreTaches();
}

void LancerPleinEcran(General& g, QWidget* fenetrePrincipale, OuverturePleinEcran ouverture)
{
    bool sablier = false;
    {
        PleinEcran viewer(g, fenetrePrincipale, ouverture);
        // On the screen that holds the main window.
        if (fenetrePrincipale && fenetrePrincipale->screen()) {
            viewer.setGeometry(fenetrePrincipale->screen()->geometry());
            viewer.winId();
            if (viewer.windowHandle())
                viewer.windowHandle()->setScreen(fenetrePrincipale->screen());
        }
        // The menu is made the first time it is needed and lives as long as the viewer.
        FenPopUp* menu = nullptr;
        viewer.setOuvreurMenu([&g, &menu](PleinEcran& v, QPoint position) {
            if (!menu)
                menu = new FenPopUp(g, v, new MusiquePleinEcran(g, v));
            menu->ouvrir(position);
        });
        g.BarreTacheMasquee = true;
        MasquerBarreTaches(&viewer);
        viewer.exec();
        sablier = viewer.sablierPose();
    }
    g.BarreTacheMasquee = false;
    AfficherBarreTaches(nullptr); // the viewer is gone: nothing covers the panels
    if (fenetrePrincipale) {
        fenetrePrincipale->raise();
        fenetrePrincipale->activateWindow();
    }
    if (sablier)
        g.services.sablier(false);
}
