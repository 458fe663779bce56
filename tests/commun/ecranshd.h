#pragma once
// Two offscreen screens side by side: "A", the primary one where windows open, at
// a device pixel ratio of 2, and "B" at 1, for tests of drawing at device pixels
// and of a window moving between ratios. QTEST_MAIN_HD sets them up before the
// application exists, as QT_SCREEN_SCALE_FACTORS must be.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>
#include <QtTest>

inline void preparerEcransHD()
{
    // Kept for the whole run: the platform reads it when the application starts.
    static QTemporaryDir dossier;
    const QString config = dossier.filePath(QStringLiteral("ecrans.json"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(config));
    f.write(R"({"screens": [
        {"name": "A", "x": 0, "y": 0, "width": 2400, "height": 1600, "logicalDpi": 96, "logicalBaseDpi": 96},
        {"name": "B", "x": 2400, "y": 0, "width": 1200, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    qputenv("QT_SCREEN_SCALE_FACTORS", "A=2;B=1");
    qunsetenv("QT_SCALE_FACTOR");
}

#define QTEST_MAIN_HD(Classe)                                                                                          \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        preparerEcransHD();                                                                                            \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        Classe t;                                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&t, argc, argv);                                                                           \
    }

namespace hd {

inline QScreen* ecran(const char* nom)
{
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == QLatin1String(nom))
            return s;
    qFatal("no screen %s", nom);
    return nullptr;
}

// Moves a shown window to another screen, as a window manager does when the user drags it.
inline void deplacerVers(QWidget* fenetre, const char* nom)
{
    fenetre->windowHandle()->setScreen(ecran(nom));
}

// A checkerboard of single pixels: any resampling on its way to the screen shows.
inline QImage damier(QSize taille)
{
    QImage i(taille, QImage::Format_RGB32);
    for (int y = 0; y < taille.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(i.scanLine(y));
        for (int x = 0; x < taille.width(); ++x)
            ligne[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return i;
}

// Pixels of `vu` at `origine` (device pixels) that differ from `source`, inside its
// rectangle shrunk by `marge`.
inline int differences(const QImage& vu, QPoint origine, const QImage& source, int marge = 0)
{
    int n = 0;
    const QImage v = vu.convertToFormat(QImage::Format_RGB32);
    for (int y = marge; y < source.height() - marge; ++y)
        for (int x = marge; x < source.width() - marge; ++x) {
            const QPoint p = origine + QPoint(x, y);
            if (!v.rect().contains(p) || (v.pixel(p) & 0xFFFFFF) != (source.pixel(x, y) & 0xFFFFFF))
                ++n;
        }
    return n;
}

} // namespace hd
