#include "animationessai.h"
#include "commun/horlogescriptee.h"

#include <QCoreApplication>
#include <QFile>
#include <QtTest>

Vue::Vue(const QString& chemin)
{
    // Frames are read at the size shown: half the pictures' own.
    demande = demandeBoite(chemin, QRectF(0, 0, 20 * 15, 12 * 15), 1, Qt::white);
    premiere = preparerImage(demande);
}

Releve::Releve(Animation& a, const HorlogeScriptee& h)
{
    QObject::connect(&a, &Animation::imageDue, &a, [this, &a, &h](const QImage& image) {
        couleurs << image.pixelColor(image.width() / 2, image.height() / 2);
        numeros << a.numero();
        temps << h.maintenant();
        taille = image.size();
    });
}

void jouerJusquAuBout(Animation& a, HorlogeScriptee& h)
{
    for (int i = 0; i < 60 && a.enCours(); ++i) {
        QTRY_VERIFY(!a.enCours() || h.enAttente() == 1);
        h.avancer(50);
    }
}

void laisserTourner()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool lireSuite(const QString& racine, const QString& test, QString* gif, QStringList* pixels)
{
    QFile conf(racine + test + QStringLiteral(".conf"));
    if (!conf.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    for (const QByteArray& ligne : conf.readAll().split('\n')) {
        const QList<QByteArray> cleValeur = ligne.split('=');
        if (cleValeur.size() != 2)
            continue;
        const QString valeur = QString::fromLatin1(cleValeur[1].trimmed());
        if (cleValeur[0].trimmed() == "input")
            *gif = racine + valeur;
        else if (cleValeur[0].trimmed() == "pixels")
            *pixels << racine + valeur;
    }
    return !gif->isEmpty();
}

bool conforme(const QImage& t, const QString& fichierRgba)
{
    QFile f(fichierRgba);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray rgba = f.readAll();
    if (qsizetype(t.width()) * t.height() * 4 != rgba.size())
        return false;
    for (int y = 0; y < t.height(); ++y)
        for (int x = 0; x < t.width(); ++x) {
            const uchar* p = reinterpret_cast<const uchar*>(rgba.constData()) + (y * t.width() + x) * 4;
            if (t.pixelColor(x, y) != (p[3] == 0 ? QColor(Qt::black) : QColor(p[0], p[1], p[2])))
                return false;
        }
    return true;
}
