// Draws the application icon as PNG pictures of the sizes desktops look for first
// (menus, docks, software centres), from the one SVG drawing:
//   ormelle_icones_png DRAWING.svg OUT_FOLDER SIZE...  →  OUT_FOLDER/<n>x<n>/apps/ormelle.png
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: %s DESSIN.svg DOSSIER TAILLE...\n", argv[0]);
        return 2;
    }
    QSvgRenderer dessin(args.at(1));
    if (!dessin.isValid()) {
        std::fprintf(stderr, "dessin illisible : %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QString nom = QFileInfo(args.at(1)).completeBaseName() + QStringLiteral(".png");
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int cote = args.at(i).toInt(&ok);
        if (!ok || cote <= 0 || cote > 1024) {
            std::fprintf(stderr, "taille invalide : %s\n", qPrintable(args.at(i)));
            return 2;
        }
        QImage image(cote, cote, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            dessin.render(&p, QRectF(0, 0, cote, cote));
        }
        const QString dossier = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(cote);
        if (!QDir().mkpath(dossier) || !image.save(dossier + QLatin1Char('/') + nom, "PNG")) {
            std::fprintf(stderr, "écriture impossible dans %s\n", qPrintable(dossier));
            return 1;
        }
    }
    return 0;
}
