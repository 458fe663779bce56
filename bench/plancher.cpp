// ormelle-plancher: the least a Qt Widgets program does to show a photo — one
// window, one decode of the JPEG at its 1/8 DCT scale — against which
// bench/lancement.py weighs the viewer's launch.
#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QImageReader lecteur(QString::fromLocal8Bit(argv[1]));
    const QSize taille = lecteur.size();
    lecteur.setScaledSize(QSize((taille.width() + 7) / 8, (taille.height() + 7) / 8));
    QLabel fenetre;
    fenetre.setPixmap(QPixmap::fromImage(lecteur.read()));
    fenetre.adjustSize();
    // Centred, as the viewer stands, so that the probe watches the same place.
    if (QScreen* ecran = QGuiApplication::primaryScreen()) {
        QRect r = fenetre.rect();
        r.moveCenter(ecran->availableGeometry().center());
        fenetre.move(r.topLeft());
    }
    fenetre.show();
    return app.exec();
}
