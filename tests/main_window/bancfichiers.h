#pragma once
// The main window over four small BMPs (a.bmp to d.bmp, each of its own colour and
// size, so that their bytes differ) and an empty subfolder "sous"; the bytes of each
// kept to check afterwards.
#include "bancfenprin.h"

#include "app/skin.h"

#include <QLabel>
#include <QListView>
#include <QMap>

class BancFichiers : protected BancDossier {
protected:
    static constexpr const char* Noms[] = {"a.bmp", "b.bmp", "c.bmp", "d.bmp"};

    QMap<QString, QByteArray> octets_;

    QString chemin(const QString& nom) const { return d_ + QLatin1Char('/') + nom; }
    FenPrin& fen() { return *b_->fen; }

    void preparer()
    {
        octets_.clear();
        ouvrirSur(
            QStringLiteral("sous"),
            [this] {
                int i = 0;
                for (const char* n : Noms) {
                    QImage image(20 + 10 * i, 10 + 5 * i, QImage::Format_RGB32);
                    image.fill(QColor::fromHsv(80 * i, 200, 200));
                    QVERIFY(image.save(chemin(QLatin1String(n)), "BMP"));
                    octets_.insert(QLatin1String(n), lire(chemin(QLatin1String(n))));
                    ++i;
                }
            },
            4);
    }

    void cliquer(const char* nom)
    {
        auto* bouton = b_->controle<BoutonSkin>(nom);
        QVERIFY2(bouton, nom);
        QVERIFY2(bouton->isVisible(), nom);
        QTest::mouseClick(bouton, Qt::LeftButton);
    }
    void choisir(int ligne)
    {
        auto* file1 = b_->controle<QListView>("File1");
        const QRect r = file1->visualRect(file1->model()->index(ligne, 0));
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_COMPARE(g().modele.IndexFichier(), qint64(ligne));
        // The icon bar's file buttons wake up once a picture has been shown.
        QTRY_VERIFY(b_->controle<BoutonSkin>("CmdCopFich")->isEnabled());
    }
    void verifierIntacts(const QStringList& sauf = {})
    {
        for (auto it = octets_.cbegin(); it != octets_.cend(); ++it)
            if (!sauf.contains(it.key()))
                QCOMPARE(lire(chemin(it.key())), it.value());
    }
    QString message() const { return b_->controle<QLabel>("LblMessage")->text(); }
    QString titreMessage() const { return b_->controle<PanneauSkin>("FondMessage")->titre(); }
    bool messageVisible() const { return b_->controle<PanneauSkin>("FondMessage")->isVisible(); }
};
