#include "outilspanneau.h"

#include "app/skin.h"
#include "bancplein.h"
#include "fullscreen/fondcommandes.h"

#include <QHash>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

#include <cmath>

namespace outilsPanneau {
QListWidgetItem* ligne(QListWidget* l, const QString& texte)
{
    const QList<QListWidgetItem*> t = l->findItems(texte, Qt::MatchExactly);
    return t.isEmpty() ? nullptr : t.first();
}

void cliquerLigne(QListWidget* l, const QString& texte)
{
    QListWidgetItem* i = ligne(l, texte);
    QVERIFY2(i, qPrintable(texte));
    l->scrollToItem(i);
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(i).center());
}

QPlainTextEdit* editerCommentaire(BancPlein& b, const QString& nom)
{
    b.choisir("mnuCreerCommentaire");
    cliquerLigne(b.controle<QListWidget>("File1"), nom);
    return b.controle<QPlainTextEdit>("Text1");
}

double contraste(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto canal = [](int v) {
            const double x = v / 255.0;
            return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * canal(c.red()) + 0.7152 * canal(c.green()) + 0.0722 * canal(c.blue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor fondDuTitre(PanneauSkin* panneau)
{
    const QImage image = panneau->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    QHash<QRgb, int> nombres;
    for (int y = int(2 * ratio); y < int((panneau->hauteurTitre() - 2) * ratio); ++y)
        for (int x = int(2 * ratio); x < image.width() - int(2 * ratio); ++x)
            ++nombres[image.pixel(x, y)];
    QRgb plusFrequente = 0;
    for (auto it = nombres.cbegin(); it != nombres.cend(); ++it)
        if (it.value() > nombres.value(plusFrequente))
            plusFrequente = it.key();
    return QColor(plusFrequente);
}

QListWidgetItem* dossier(QListWidget* l, const QString& nom)
{
    for (int i = 0; i < l->count(); ++i)
        if (l->item(i)->text().trimmed() == nom)
            return l->item(i);
    return nullptr;
}

void entrerDossier(QListWidget* l, const QString& texte)
{
    QListWidgetItem* i = dossier(l, texte);
    QVERIFY2(i, qPrintable(texte));
    l->setCurrentItem(i);
    QTest::keyClick(l, Qt::Key_Return);
    auto* panneau = qobject_cast<FondCommandes*>(l->parentWidget());
    QTRY_VERIFY(panneau && !panneau->listageEnCours());
}

QStringList textes(const QListWidget* l)
{
    QStringList t;
    for (int i = 0; i < l->count(); ++i)
        t << l->item(i)->text();
    return t;
}
} // namespace outilsPanneau
