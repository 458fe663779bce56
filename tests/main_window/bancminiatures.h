#pragma once
// The thumbnail page over ten plain 64 × 48 BMPs (IMG_0001.BMP to IMG_0010.BMP, each of
// its own colour) and an empty subfolder "vide".
#include "bancfenprin.h"

#include "app/skin.h"
#include "main_window/miniatures.h"

#include <QListWidget>

inline QColor couleur(int i)
{
    return QColor::fromHsv((i * 37) % 360, 220, 230);
}

class BancMiniatures : protected BancDossier {
protected:
    QString chemin(int i) const { return d_ + QStringLiteral("/IMG_%1.BMP").arg(i, 4, 10, QLatin1Char('0')); }
    Miniatures& m() { return *b_->fen->miniatures(); }

    void preparer()
    {
        ouvrirSur(
            QStringLiteral("vide"),
            [this] {
                for (int i = 1; i <= 10; ++i) {
                    QImage image(64, 48, QImage::Format_RGB32);
                    image.fill(couleur(i));
                    QVERIFY(image.save(chemin(i), "BMP"));
                }
            },
            10);
    }

    void presser(BoutonSkin* b, Qt::MouseButton bouton = Qt::LeftButton)
    {
        QVERIFY(b->isVisible());
        QTest::mouseClick(b, bouton);
    }
    // The picture index each cell shows, from its colour (within `ecart` on each channel
    // for lossy pictures); 0 for an empty cell.
    QList<int> grille(int ecart = 0)
    {
        QList<int> r;
        for (CelluleMiniature* c : m().Image2) {
            if (!c->aImage()) {
                r << 0;
                continue;
            }
            const QColor vu = c->image().pixelColor(c->image().width() / 2, c->image().height() / 2);
            int trouve = -1;
            for (int i = 1; i <= 10; ++i)
                if (std::abs(vu.red() - couleur(i).red()) <= ecart && std::abs(vu.green() - couleur(i).green()) <= ecart
                    && std::abs(vu.blue() - couleur(i).blue()) <= ecart)
                    trouve = i;
            r << trouve;
        }
        return r;
    }
    void entrer()
    {
        presser(b_->controle<BoutonSkin>("CmdMiniatures"));
        QVERIFY(m().FondMiniatures->isVisible());
        auto* dir1 = b_->controle<QListWidget>("Dir1");
        QTest::mousePress(dir1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(m().pageComplete() && m().pages().NbMiniatures() > 0);
    }
};
