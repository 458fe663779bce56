#pragma once
// Plays the records of a metafile onto an image, one record at a time.
#include "platform/wmf/contextewmf.h"
#include "platform/wmf/entetewmf.h"
#include "platform/wmf/octets.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <memory>
#include <vector>

namespace wmf {

// Bounds that keep any file, however built, within a few seconds and a few
// hundred megabytes.
namespace limite {
constexpr qint64 Enregistrements = 4'000'000;
constexpr qint64 PixelsBitmap = 64ll << 20;        // one bitmap
constexpr qint64 PixelsBitmapFichier = 256ll << 20; // all bitmaps of a file
constexpr qint64 PointsFichier = 20'000'000;
constexpr int PileContextes = 1024;
constexpr int RectanglesRegion = 4096;
constexpr int RectanglesClip = 20000;
} // namespace limite

class JoueurWmf {
public:
    JoueurWmf(const QByteArray& donnees, const Entete& entete, QImage* cible);
    ~JoueurWmf();

    // Plays every record; returns the French text of the fault that stopped
    // playback early, or an empty string.
    QString jouer();
    // Whether anything reached the picture before playback stopped.
    bool aDessine() const { return m_dessins > 0; }

private:
    void jouerEnregistrement(quint16 fonction, Octets p);
    bool jouerEtat(quint16 fonction, Octets& p);
    bool jouerRepere(quint16 fonction, Octets& p);
    bool jouerObjet(quint16 fonction, Octets& p);
    bool jouerForme(quint16 fonction, Octets& p);
    bool jouerClip(quint16 fonction, Octets& p);
    bool jouerTexte(quint16 fonction, Octets& p);
    bool jouerImage(quint16 fonction, Octets& p);

    // Object table
    int placeLibre() const;
    void creer(std::unique_ptr<Objet> objet);
    void selectionner(int index);
    const Objet* objet(int index, Objet::Genre genre) const;

    // Mapping and state
    void majTransfo();
    void appliquerClip();
    void restaurer(int n);
    void peindreRegion(quint16 fonction, Octets& p);
    QColor couleur(quint32 ref) const;

    // Shapes (formeswmf.cpp)
    void dessiner(const QPainterPath& chemin, bool remplir);
    void remplir(const QPainterPath& chemin, const Brosse& brosse);
    QPen stylo() const;
    QBrush pinceau(const Brosse& brosse) const;
    void preparerRop();
    QPainterPath arc(QRectF boite, QPointF debut, QPointF fin, int genre) const;
    bool polyPolygone(Octets& p);
    QRegion lireRegion(Octets& p) const;

    // Text (textewmf.cpp)
    void texte(QPointF pos, const QByteArray& octets, const QVector<int>& dx, int options, const QRectF& rect);

    // Pictures (imageswmf.cpp)
    void blit(const QRectF& dest, const QImage& source, QRectF srcRect, quint32 rop);
    void blitMotif(const QRectF& dest, quint32 rop);
    QImage lireBitmap16(Octets& p) const;

    const QByteArray& m_donnees;
    Entete m_entete;
    QImage* m_cible;
    QPainter m_peintre;
    Contexte m_dc;
    std::vector<Contexte> m_pile;
    std::vector<std::unique_ptr<Objet>> m_objets;
    QVector<QRgb> m_palette;
    QTransform m_transfo;
    qint64 m_dessins = 0;
    qint64 m_pixelsImages = 0;   // bitmap pixels decoded so far, bounded per file
    qint64 m_points = 0;         // path points drawn so far, bounded per file
};

} // namespace wmf
