#include "pilotage.h"

#include "core/modeledossier.h"
#include "fullscreen/pleinecran.h"

#include <QWheelEvent>
#include <QtTest>

namespace pilotage {
const QList<QColor> Couleurs{Qt::red, Qt::green, Qt::blue};

void ecrireImage(const QString& chemin, const QColor& couleur)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(couleur);
    QVERIFY(image.save(chemin, "BMP"));
}

void listee(const ModeleDossier& m)
{
    QTRY_VERIFY_WITH_TIMEOUT(!m.listageEnCours(), 10000);
}

void montree(const PleinEcran& v)
{
    QTRY_VERIFY_WITH_TIMEOUT(!v.imageEnAttente(), 10000);
}

void etape(PleinEcran& v)
{
    v.etapeMinuterie();
    montree(v);
}

void touche(PleinEcran& v, QWidget* cible, Qt::Key t)
{
    QTest::keyClick(cible, t);
    montree(v);
}

void roulette(PleinEcran& v, int huitiemes)
{
    const QPoint ici(5, 5);
    QWheelEvent e(ici, v.mapToGlobal(ici), QPoint(), QPoint(0, huitiemes), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&v, &e);
    montree(v);
}

int couleurAffichee(const PleinEcran& v)
{
    const QImage image = v.imageAffichee();
    if (image.isNull())
        return -1;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    for (int i = 0; i < Couleurs.size(); ++i)
        if (c == Couleurs[i])
            return i;
    return -2;
}
} // namespace pilotage
